// Files: the file-status query, the program's folder and the user's folders
// for the game (the desktop's XDG places).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// True with the file's size when `path` names a readable regular file.
bool PlatGetFileSize(const char* path, uint64_t* size);
// The executable's folder, ending with '/', or "" when it is unknown.
const char* PlatGetProgramFolder();

// The user's own folder for the game: $XDG_DATA_HOME/quibbo/, else
// $HOME/.local/share/quibbo/ (relative values count as unset, as the XDG
// rules ask); "" when neither variable is usable. Not created here.
std::string PlatUserDataFolder();
// The user's folder for the game's settings, ending with '/':
// $XDG_CONFIG_HOME/quibbo/, else $HOME/.config/quibbo/; on Windows
// %APPDATA%/Quibbo/. "" when no variable is usable. Not created here. Each
// system's file calls give it (platform/SystemFiles.h).
std::string PlatUserConfigFolder();
// The installed game's own read-only data: share/quibbo/ of the prefix the
// program was installed under, found from the program's folder `program`
// (<prefix>/bin/ gives <prefix>/share/quibbo/), ending with '/'; "" when
// `program` is "". It need not exist.
std::string PlatSharedDataFolder(const std::string& program = PlatGetProgramFolder());
// Where screenshots go, ending with '/': Quibbo/ inside the user's pictures
// folder ($XDG_PICTURES_DIR, or its line in user-dirs.dirs) when that folder
// exists, else screenshots/ in PlatUserDataFolder(). Created when missing;
// "" when no such folder can be made.
std::string PlatScreenshotFolder();
// The help's words for the folders above on this system: where the player
// finds screenshots when there is no pictures folder, and the paragraph
// on where levels are looked for. Each ends with a newline.
const char* PlatScreenshotFolderHelp();
const char* PlatLevelFoldersHelp();
// Where PlatUserConfigFolder() is, in the words this system's player knows
// (no newline).
const char* PlatSettingsFolderHelp();
// PlatUserDataFolder() in the help's words, ending with ".\n".
const char* PlatUserDataFolderHelp();
// Creates `folder` and the folders above it as needed; true when it exists.
bool PlatMakeFolders(const std::string& folder);
// `path` as one line for a message: a newline, tab or other control
// character in a folder's name is shown escaped (\n, \t, \xNN), so that
// a name cannot break or forge the lines around it. The file itself still
// goes where the name says.
std::string PlatPrintablePath(const std::string& path);

// Whether the file at `path` can be replaced whole (PlatReplaceFile): its
// folder exists and takes a new file, and `path` is a regular file or
// nothing yet. Tried by making and removing a file beside it, so the file
// at `path` is never touched. False with a one-line reason in *why.
bool PlatCanReplaceFile(const std::string& path, std::string* why);
// Puts `bytes` at `path` whole or not at all: written to a file beside it,
// then renamed over it (replacing it on Windows too), so that the old file
// survives any failure. False with a one-line reason, the system's words
// included, in *why; nothing is left beside it.
bool PlatReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* why);

// A folder name of this process's own under the system's temporary folder,
// for scratch files: `prefix`, the process id, '-' and a stamp of this
// moment, ending with '/'; not created. Folders of the same prefix that a
// process now gone left behind (stopped by a signal before it could clean
// up) are removed first. "" when there is no temporary folder.
std::string PlatScratchFolderName(const std::string& prefix);
