// Libraries under SDL (sound servers, display protocols) print their own
// complaints to standard error while SDL looks for a device; the game says
// what matters in one line of its own instead. While an object of this class
// lives, standard error goes to /dev/null.
#pragma once
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

class CQuietStderr {
public:
    CQuietStderr() {
        std::fflush(stderr);
        m_nSaved = dup(2);
        const int null = open("/dev/null", O_WRONLY);
        if (m_nSaved >= 0 && null >= 0)
            dup2(null, 2);
        if (null >= 0)
            close(null);
    }
    ~CQuietStderr() {
        if (m_nSaved < 0)
            return;
        std::fflush(stderr);
        dup2(m_nSaved, 2);
        close(m_nSaved);
    }
    CQuietStderr(const CQuietStderr&) = delete;
    CQuietStderr& operator=(const CQuietStderr&) = delete;

private:
    int m_nSaved;
};
