// A small application for the run-loop tests: it writes what happens to a
// list of lines ("pre KEYDOWN 38", "key KEYDOWN 38", "idle 0 @3", ...), so a
// test can compare the order of events with what it expects.
#pragma once
#include "platform/FrameWnd.h"
#include "platform/headless/Headless.h"
#include "platform/WinApp.h"
#include "platform/WindowSystem.h"
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace plattest {

inline std::string MessageName(uint32_t message) {
    switch (message) {
    case WM_KEYDOWN:
        return "KEYDOWN";
    case WM_KEYUP:
        return "KEYUP";
    case WM_CHAR:
        return "CHAR";
    case WM_CLOSE:
        return "CLOSE";
    case WM_PAINT:
        return "PAINT";
    case WM_QUIT:
        return "QUIT";
    case WM_SETFOCUS:
        return "SETFOCUS";
    case WM_KILLFOCUS:
        return "KILLFOCUS";
    default:
        return std::to_string(message);
    }
}

inline bool IsKey(uint32_t message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR;
}

class CRecordingFrame : public CFrameWnd {
public:
    CRecordingFrame(std::vector<std::string>* lines, bool* deleted)
        : m_pLines(lines), m_pDeleted(deleted) {}
    ~CRecordingFrame() override {
        if (m_pDeleted)
            *m_pDeleted = true;
    }
    bool PreTranslateMessage(PlatMsg* msg) override {
        if (!IsKey(msg->message))
            return false;
        m_pLines->push_back("pre " + MessageName(msg->message) + " " + std::to_string(msg->wParam));
        return m_consumed.count(msg->wParam) != 0;
    }
    int32_t WindowProc(uint32_t message, uint32_t wParam, int32_t lParam) override {
        if (IsKey(message))
            m_pLines->push_back("key " + MessageName(message) + " " + std::to_string(wParam));
        if (message == WM_PAINT)
            m_pLines->push_back("paint");
        return CFrameWnd::WindowProc(message, wParam, lParam);
    }
    int OnCreate(PlatCreateStruct* cs) override {
        return m_bFailCreate ? -1 : CFrameWnd::OnCreate(cs);
    }
    void OnDestroy() override {
        m_pLines->push_back("destroy");
        CFrameWnd::OnDestroy();
    }

    std::set<uint32_t> m_consumed; // key codes PreTranslateMessage swallows
    bool m_bFailCreate = false;

private:
    std::vector<std::string>* m_pLines;
    bool* m_pDeleted;
};

class CRecordingApp : public CWinApp {
public:
    bool InitInstance() override {
        m_pFrame = new CRecordingFrame(&m_lines, &m_bFrameDeleted);
        m_pFrame->m_consumed = m_consumed;
        m_pFrame->m_bFailCreate = m_bFailCreate;
        m_pMainWnd = m_pFrame;
        PlatRect desktop;
        PlatGetDesktopRect(&desktop);
        return m_pFrame->Create("Test", 0, desktop, nullptr, 0);
    }
    bool OnIdle(long count) override {
        m_lines.push_back("idle " + std::to_string(count) + " @" +
                          std::to_string(HeadlessIdlePasses()));
        return m_idle ? m_idle(count) : false;
    }

    std::vector<std::string> m_lines;
    std::function<bool(long)> m_idle; // answer of OnIdle; false when unset
    std::set<uint32_t> m_consumed;
    bool m_bFailCreate = false;
    CRecordingFrame* m_pFrame = nullptr; // deleted by itself when its window goes
    bool m_bFrameDeleted = false;
};

// Sets or clears environment variables for one test and puts them back.
class ScopedEnv {
public:
    void Set(const char* name, const char* value) {
        if (m_saved.find(name) == m_saved.end()) {
            const char* old = std::getenv(name);
            m_saved[name] = old ? std::make_pair(true, std::string(old)) : std::make_pair(false, "");
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        for (const auto& entry : m_saved) {
            if (entry.second.first)
                setenv(entry.first.c_str(), entry.second.second.c_str(), 1);
            else
                unsetenv(entry.first.c_str());
        }
    }

private:
    std::map<std::string, std::pair<bool, std::string>> m_saved;
};


} // namespace plattest
