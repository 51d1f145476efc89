// The file calls that each system names its own way. Files.cpp is
// written against these (and app/ProgressFiles.cpp, which sets a damaged
// file aside with the rename); PosixFiles.cpp gives them everywhere but Windows,
// platform/win32/Win32Files.cpp on Windows, so that no core file needs a
// system's own headers.
#pragma once
#include <string>

// Makes the one folder `path` (its parent must exist): 0, or -1 with errno
// set (EEXIST when something is there already).
int PlatMakeOneFolder(const std::string& path);
// The running program's file, its folders parted by '/' as the game's
// paths are everywhere (Windows takes them too); "" when unknown or too
// long to be read whole.
std::string PlatProgramPath();
// Renames `from` to `to`, replacing a file at `to` in one step. False with
// the system's words for the failure in *error; `from` is left as it was.
bool PlatRenameOver(const std::string& from, const std::string& to, std::string* error);
// The environment variable `name` when it holds an absolute path on this
// system, its folders parted by '/'; else "" (relative values count as
// unset, as the XDG rules ask).
std::string PlatAbsoluteEnv(const char* name);
