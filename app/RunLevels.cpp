#include "app/RunLevels.h"
#include "app/MainFrame.h"
#include "platform/Files.h"
#include "platform/LinkCode.h"
#include "platform/WholeFile.h"
#include "res/ResourceIds.h"
#include "scene/LevelBitmap.h"
#include "scene/LevelBudget.h"
#include "scene/LevelCode.h"
#include "scene/LevelText.h"
#include <cstdio>

namespace {

std::string WithSlash(const std::string& folder) {
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

// Level file `number` of `folder` as the game sees it: false when the game
// would not count it as present, or it cannot be read.
bool ReadLevelFileBytes(const std::string& folder, int number, std::vector<uint8_t>* bytes) {
    const std::string path = LevelFileName(folder, number);
    return IsLevelFilePresent(path) &&
           ReadWholeFile(path.c_str(), kMaxLevelFileBytes, bytes, nullptr, true);
}

uint32_t BuiltinLevelCrc() {
    LevelBytes bytes;
    return FindLevelBytes(IDB_LEVEL, &bytes, nullptr) ? Crc32(bytes.info, bytes.size) : 0;
}

// The file's level as a carried body, when the file is the very one
// MakeLevelBitmap writes for it: written back, it is the same bytes.
bool CarriedLevel(const std::string& path, const std::vector<uint8_t>& bytes,
                  std::vector<uint8_t>* body) {
    LevelGrid grid;
    return ReadLevelFile(path.c_str(), &grid, nullptr) && MakeLevelBitmap(grid) == bytes &&
           MakeLevelCodeBody(grid, body, nullptr) && body->size() <= kMaxRunBodyBytes / 2;
}

std::string Describe(const RunLevelFile& file) {
    char text[80];
    std::snprintf(text, sizeof text, " (%u bytes, CRC %08x)", file.size, file.crc);
    return LevelFileName("", file.number) + text;
}

// Why `folder` does not hold exactly `files`, or "": first a level the run
// needs and the folder lacks (what a player would look for), then a level
// the folder has and the run did not. Sizes are compared before any file
// is read.
std::string FolderProblem(const std::vector<RunLevelFile>& files, const std::string& folder) {
    const std::string shown = PlatPrintablePath(folder);
    std::vector<bool> wanted(kMaxRunLevelFiles, false);
    for (const RunLevelFile& file : files) {
        wanted[file.number] = true;
        const std::string path = LevelFileName(folder, file.number);
        uint64_t size = 0;
        std::vector<uint8_t> bytes;
        if (!IsLevelFilePresent(path))
            return Describe(file) + " is not in " + shown;
        // Another level by that name is not the run's: say so, or a player
        // looking at the folder sees the file and wonders.
        if (!PlatGetFileSize(path.c_str(), &size) || size != file.size ||
            !ReadLevelFileBytes(folder, file.number, &bytes) ||
            Crc32(bytes.data(), bytes.size()) != file.crc)
            return "the " + LevelFileName("", file.number) + " in " + shown + " is not the run's" +
                   Describe(file).substr(LevelFileName("", 0).size());
    }
    for (int number = 0; number < int(kMaxRunLevelFiles); ++number) {
        if (!wanted[number] && IsLevelFilePresent(LevelFileName(folder, number)))
            return LevelFileName("", number) + " is in " + shown +
                   ", but the run had no such level";
    }
    return "";
}

// Writes the carried level as the only level file of `scratch`, and says
// which file that is.
bool WriteCarriedLevel(const std::vector<uint8_t>& body, const std::string& scratch,
                       RunLevelFile* written, std::string* why) {
    LevelGrid grid;
    std::string error;
    if (!ReadLevelCodeBody(body.data(), body.size(), &grid, &error)) {
        *why = "the run's level: " + error;
        return false;
    }
    // The game would pass over a level it cannot build for the built-in
    // one: that is not the run that was played.
    if (!FitsProgramBudget(grid.cells.data(), grid.width, grid.height, &error)) {
        *why = "the run's level is more than the game plays: " + error;
        return false;
    }
    const std::string shown = PlatPrintablePath(scratch);
    if (!PlatMakeFolders(scratch)) {
        *why = "cannot make the folder " + shown;
        return false;
    }
    const std::vector<uint8_t> file = MakeLevelBitmap(grid);
    if (!WriteWholeFile(LevelFileName(scratch, 0).c_str(), file)) {
        *why = "cannot write the run's level into " + shown;
        return false;
    }
    for (int number = 1; number < int(kMaxRunLevelFiles); ++number)
        std::remove(LevelFileName(scratch, number).c_str());
    *written = {0, static_cast<uint32_t>(file.size()), Crc32(file.data(), file.size())};
    return true;
}

} // namespace

RunLevels DescribeRunLevels(const std::string& folder) {
    const std::string dir = WithSlash(folder);
    RunLevels levels;
    std::vector<uint8_t> bytes, first;
    for (int number = 0; number < int(kMaxRunLevelFiles); ++number) {
        if (!ReadLevelFileBytes(dir, number, &bytes))
            continue;
        levels.files.push_back({static_cast<uint8_t>(number), static_cast<uint32_t>(bytes.size()),
                                Crc32(bytes.data(), bytes.size())});
        if (number == 0)
            first.swap(bytes);
    }
    if (levels.files.size() == 1 && levels.files[0].number == 0 &&
        CarriedLevel(LevelFileName(dir, 0), first, &levels.levelBody))
        levels.files.clear();
    else
        levels.levelBody.clear();
    levels.builtinFirst =
        levels.levelBody.empty() && (levels.files.empty() || levels.files[0].number != 0);
    if (levels.builtinFirst)
        levels.builtinCrc = BuiltinLevelCrc();
    return levels;
}

bool FindRunLevels(const RunLevels& levels, const std::vector<std::string>& folders,
                   const std::string& scratch, std::string* folder, std::string* why) {
    folder->clear();
    why->clear();
    if (!levels.levelBody.empty()) {
        const std::string dir = WithSlash(scratch);
        RunLevelFile written;
        if (!WriteCarriedLevel(levels.levelBody, dir, &written, why))
            return false;
        // A file that could not be removed would be played after the level.
        *why = FolderProblem({written}, dir);
        if (!why->empty())
            return false;
        *folder = dir;
        return true;
    }
    if (levels.builtinFirst && levels.builtinCrc != BuiltinLevelCrc()) {
        *why = "it was played on a built-in level this Quibbo does not have";
        return false;
    }
    if (folders.empty()) {
        *why = "there is no folder to look for its levels in";
        return false;
    }
    std::string others;
    for (const std::string& candidate : folders) {
        const std::string dir = WithSlash(candidate);
        const std::string problem = FolderProblem(levels.files, dir);
        if (problem.empty()) {
            *folder = dir;
            why->clear();
            return true;
        }
        if (why->empty())
            *why = problem;
        else
            others += (others.empty() ? "" : ", ") + PlatPrintablePath(dir);
    }
    if (!others.empty())
        *why += " (nor in " + others + ")";
    return false;
}
