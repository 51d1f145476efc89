// Reading a whole file into memory, as the loaders of levels, pictures and
// key scripts do: each reads its file once and works on the bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads the file at `path` into *bytes. False, with *bytes empty and a
// one-line reason in *error (if given), when it cannot be opened or read
// (a folder opens but cannot be read) or holds more than `maxBytes`.
// With `regularOnly`, anything but a regular file is refused without
// waiting on it: a FIFO or device named where a settings file belongs
// must neither block the game nor feed it bytes without end.
bool ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes,
                   std::string* error, bool regularOnly = false);
