// Helpers the fuzz targets share: a failed expectation that every fuzzer and
// the replay test notice, scratch files, the display's pixel format, and a
// reader that turns input bytes into numbers without ever running out. The
// imaging tests' helpers (formats, raw words, BMP bytes) come along.
#pragma once
#include "testkit/Pictures.h"
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// An expectation about the code under test. A broken one aborts, which
// libFuzzer reports as a crash with the input that caused it.
#define FUZZ_CHECK(cond, what)                                                                     \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: %s (%s)\n", __FILE__, __LINE__, what, #cond);             \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// A file name of this process under the temporary folder, so that fuzzers
// running side by side do not share it. Without TMPDIR, a folder in memory
// where there is one: a file written over for every input costs a disk
// flush on some file systems.
inline std::string ScratchPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir && *dir ? dir : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return path + "/quibbo-fuzz-" + std::to_string(getpid()) + "-" + name;
}

inline bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

// Makes format `index` (0..2 of gfxtest::AllFormats) the display's, so that
// Create and the loaders produce it. The display is kept tiny: only its
// format matters.
inline void UseDisplayFormat(int index) {
    static int current = -1;
    if (index == current)
        return;
    gfxtest::UseFormat(gfxtest::AllFormats()[size_t(index)], 8, 8);
    current = index;
}

// Reads little-endian numbers from the front of the input; past its end
// every read gives zeros, so any input is a complete description.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : m_p(data), m_n(size) {}
    uint8_t U8() {
        if (m_n == 0)
            return 0;
        --m_n;
        return *m_p++;
    }
    // Operands of | are unordered, so each byte is read in its own statement.
    uint16_t U16() {
        const uint16_t low = U8();
        return uint16_t(low | U8() << 8);
    }
    uint32_t U32() {
        const uint32_t low = U16();
        return low | uint32_t(U16()) << 16;
    }
    int32_t I32() { return int32_t(U32()); }
    bool Bool() { return (U8() & 1) != 0; }
    // 1..limit, from one byte or two.
    int32_t Side(int32_t limit) { return 1 + int32_t(limit > 255 ? U16() : U8()) % limit; }
    size_t Left() const { return m_n; }

private:
    const uint8_t* m_p;
    size_t m_n;
};

} // namespace fuzz
