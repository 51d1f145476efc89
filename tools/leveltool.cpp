// leveltool: turns text maps into level bitmaps the game loads, and level
// bitmaps back into text maps, with a summary of what the game builds from
// them; puts a level into a link and takes it out again. It reads and builds
// through the maze's own code.
#include "gfx/Surface.h"
#include "platform/Files.h"
#include "platform/Numbers.h"
#include "platform/Platform.h"
#include "platform/WholeFile.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"
#include "scene/LevelBitmap.h"
#include "scene/LevelCheck.h"
#include "scene/LevelCode.h"
#include "scene/LevelReport.h"
#include "scene/LevelText.h"
#include "scene/Maze.h"
#if QUIBBO_WITH_ZLIB
#include "platform/zlib/RawDeflate.h"
#endif
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const kUsage =
    "usage: leveltool make MAP.txt LEVEL.bmp\n"
    "       leveltool show LEVEL.bmp\n"
    "       leveltool show --resource ID\n"
    "       leveltool check LEVEL.bmp|MAP.txt...\n"
    "       leveltool link LEVEL.bmp|MAP.txt [ADDRESS]\n"
    "       leveltool unlink LINK|CODE LEVEL.bmp\n"
    "       leveltool --help\n"
    "\n"
    "make    turns a text map into an 8-bit level bitmap (uncompressed, bottom-up,\n"
    "        with the full 256-entry palette of the built-in level's colours), then\n"
    "        reads it back as the game does and says what the game builds from it.\n"
    "show    prints a level bitmap (a file, or a bitmap resource of the game such as\n"
    "        %d, the built-in level) as a text map followed by what the game builds\n"
    "        from it, or says why the game rejects it.\n"
    "check   says whether each level (a level bitmap, or a text map when the name\n"
    "        ends in .txt) can be finished and plays fair: exactly one player start,\n"
    "        every dot and gun reachable from it (from cell to cell through the side\n"
    "        openings, never diagonally), no enemy walled in or %d cells' walk or\n"
    "        fewer from the start, %d open cells straight north of the start, and\n"
    "        the level budget. It prints the counts and the length in cells of a\n"
    "        planned tour of every dot and gun, then each problem on a line of its\n"
    "        own starting \"fail:\", naming the cell as (column, row).\n"
    "link    prints a link that carries the level (a level bitmap, or a text map\n"
    "        when the name ends in .txt) to the game's page: ADDRESS#level=CODE,\n"
    "        where ADDRESS is the page (by default %s, where\n"
    "        ./web.sh serves it) and CODE the whole level, compressed, with a check\n"
    "        sum. The page plays it and offers to edit it.\n"
    "unlink  writes the level a link (or its code alone) carries as a level bitmap,\n"
    "        the same bytes make writes for its map, then says what the game builds\n"
    "        from it. A link that was cut or changed is refused.\n"
    "\n"
    "Text maps: one character a cell, one line a row, the top row first; every\n"
    "row as long as the first. A line starting with ';' is a comment, and a line\n"
    "\"=C N\" makes character C stand for cell byte N (0 to 255); \"=C N R G B\"\n"
    "also gives byte N the minimap colour R G B (each 0 to 255; 255 0 0 is\n"
    "see-through, and colours the display would turn into it are refused).\n"
    "A line \"=name NAME\" names the level (1 to 24 printable ASCII characters);\n"
    "the level file keeps the name after its pixel rows, and links carry it.\n"
    "Blank lines are skipped. The legend:\n"
    "  .  1   corridor                 o  64  dot\n"
    "  P  2   player start             G  65  gun\n"
    "  E  3   enemy start              B  66  barrel (decoration)\n"
    "  _  0   bare floor               C  67  crate (decoration)\n"
    "  ,  192 open floor of class 3    L  68  lamp (decoration)\n"
    "  #  128 wall type 0 (tiles)      X  129 wall type 1 (wood)\n"
    "  Y  130 wall type 2 (stone)      Z  131 wall type 3 (brick)\n"
    "  H  132 wall type 4 (hedge)\n"
    "A cell byte's top two bits are its class (0 marker, 1 item, 2 wall, 3 floor)\n"
    "and its low six bits its type. Levels may have at most 4096 cells a side.\n"
    "\n"
    "Exit status: 0 when the game accepts the level (check: every level passes),\n"
    "1 when it rejects it (check: a level fails; link, unlink: the level or the\n"
    "link is refused), 2 for a usage error or a file that cannot be read or\n"
    "written.\n";

// Where ./web.sh serves the page.
const char* const kDefaultPageAddress = "http://127.0.0.1:8000/";

// The game offers level files of at least this many bytes.
const uint64_t kMinLevelFileBytes = 100;

struct StandIns {
    CSurface walls[kProgramWallTextures];
    CSurface items[kProgramItemImages];
    CSurface* wallTable[kProgramWallTextures];
    CSurface* itemTable[kProgramItemImages];
    StandIns() {
        for (int i = 0; i < kProgramWallTextures; ++i)
            wallTable[i] = &walls[i];
        for (int i = 0; i < kProgramItemImages; ++i)
            itemTable[i] = &items[i];
    }
};

int Reject(const std::string& what, const std::string& why) {
    std::fprintf(stderr, "leveltool: %s: the game rejects this level: %s\n", what.c_str(),
                 why.c_str());
    return 1;
}

// Loads the level as the game would after its first level (grid, minimap
// picture, build) and prints the report. `path` null means resource `id`.
int LoadAndReport(const char* path, int id, bool bPrintMap) {
    const std::string what = path ? std::string(path) : "resource " + std::to_string(id);
    uint64_t fileSize = 0;
    if (path && !PlatGetFileSize(path, &fileSize)) {
        std::fprintf(stderr, "leveltool: cannot read %s\n", path);
        return 2;
    }
    CMaze maze(nullptr, 1);
    std::string error;
    const bool bGrid =
        path ? maze.ReadGridFromFile(path, &error) : maze.ReadGridFromResource(id, &error);
    if (!bGrid)
        return Reject(what, error);
    if (path && fileSize < kMinLevelFileBytes)
        std::printf("warning: the game only offers level files of %u bytes or more\n",
                    static_cast<unsigned>(kMinLevelFileBytes));
    if (bPrintMap) {
        LevelGrid grid; // read again for its colours, which the maze does not keep
        if (!(path ? ReadLevelFile(path, &grid, &error) : ReadLevelResource(id, &grid, &error)))
            return Reject(what, error);
        std::string text;
        if (!FormatLevelText(grid, &text, &error)) {
            std::fprintf(stderr, "leveltool: %s: %s\n", what.c_str(), error.c_str());
            return 2;
        }
        std::fputs(text.c_str(), stdout);
        std::fputs("\n", stdout);
    }
    // The whole load, as the game runs it: the minimap picture must load
    // too, and the level must fit the build limit.
    StandIns tables;
    PictureTables pictures;
    pictures.walls = tables.wallTable;
    pictures.wallCount = kProgramWallTextures;
    pictures.items = tables.itemTable;
    pictures.itemCount = kProgramItemImages;
    const bool bLoaded =
        path ? maze.LoadNextFromFile(path, pictures) : maze.LoadNextFromResource(id, pictures);
    if (!bLoaded) {
        CSurface picture;
        const bool bPicture = path ? picture.LoadBitmapFile(path) : picture.LoadBitmapResource(id);
        if (!bPicture)
            return Reject(what, "its picture does not load as the minimap");
        return Reject(what, maze.GetRefusal().empty() ? "it does not build" : maze.GetRefusal());
    }
    const LevelReport report = ReportOnMaze(maze, tables.wallTable, kProgramWallTextures,
                                            tables.itemTable, kProgramItemImages);
    std::fputs(FormatLevelReport(report).c_str(), stdout);
    return 0;
}

// Writes the level file of a grid, then says what the game builds from it.
int WriteAndReport(const LevelGrid& grid, const char* levelPath) {
    if (!WriteWholeFile(levelPath, MakeLevelBitmap(grid))) {
        std::fprintf(stderr, "leveltool: cannot write %s\n", levelPath);
        return 2;
    }
    std::printf("wrote %s\n", levelPath);
    return LoadAndReport(levelPath, 0, false);
}

int Make(const char* mapPath, const char* levelPath) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(mapPath, kMaxLevelFileBytes, &bytes, &error)) {
        std::fprintf(stderr, "leveltool: %s\n", error.c_str());
        return 2;
    }
    LevelGrid grid;
    if (!ParseLevelText(std::string(bytes.begin(), bytes.end()), &grid, &error)) {
        std::fprintf(stderr, "leveltool: %s: %s\n", mapPath, error.c_str());
        return 2;
    }
    return WriteAndReport(grid, levelPath);
}

bool IsTextMapName(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".txt";
}

// The grid of a level bitmap, or of a text map when the name ends in .txt:
// 0 read, 1 a bitmap the game rejects, 2 cannot be read (said on stderr).
int ReadGridOfLevel(const char* path, LevelGrid* grid) {
    std::string error;
    uint64_t size = 0;
    if (!PlatGetFileSize(path, &size)) {
        std::fprintf(stderr, "leveltool: cannot read %s\n", path);
        return 2;
    }
    if (IsTextMapName(path)) {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(path, kMaxLevelFileBytes, &bytes, &error)) {
            std::fprintf(stderr, "leveltool: %s\n", error.c_str());
            return 2;
        }
        if (!ParseLevelText(std::string(bytes.begin(), bytes.end()), grid, &error)) {
            std::fprintf(stderr, "leveltool: %s: %s\n", path, error.c_str());
            return 2;
        }
    } else if (!ReadLevelFile(path, grid, &error)) {
        return Reject(path, error);
    }
    return 0;
}

// One level of `leveltool check`: 0 passes, 1 fails, 2 cannot be read.
int CheckOne(const char* path) {
    LevelGrid grid;
    if (const int status = ReadGridOfLevel(path, &grid))
        return status;
    const LevelCheck check = CheckLevel(grid);
    std::printf("level: %s\n%s", path, FormatLevelCheck(check).c_str());
    return check.failures.empty() ? 0 : 1;
}

// Every level is checked even after one fails; the worst status counts.
int Check(int count, char** paths) {
    int status = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            std::printf("\n");
        const int one = CheckOne(paths[i]);
        status = one > status ? one : status;
    }
    return status;
}

#if QUIBBO_WITH_ZLIB
int Link(const char* path, const char* address) {
    LevelGrid grid;
    if (const int status = ReadGridOfLevel(path, &grid))
        return status;
    std::vector<uint8_t> body;
    std::string error;
    if (!MakeLevelCodeBody(grid, &body, &error)) {
        std::fprintf(stderr, "leveltool: %s: %s\n", path, error.c_str());
        return 1;
    }
    // A fragment already on the address would hide the level's.
    std::string page = address;
    page = page.substr(0, page.find('#'));
    std::printf("%s%s%s\n", page.c_str(), kLevelLinkMark,
                MakeDeflatedLinkCode(kLevelCodeFormat, body.data(), body.size()).c_str());
    return 0;
}

int Unlink(const char* link, const char* levelPath) {
    // A link copied from a chat often brings blanks or a line end with it.
    std::string_view text = link;
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    std::vector<uint8_t> body;
    LevelGrid grid;
    std::string error;
    if (!ReadDeflatedLinkCode(LevelCodeOfLink(text), kLevelCodeFormat, kMaxLevelCodeBodyBytes,
                              &body, &error) ||
        !ReadLevelCodeBody(body.data(), body.size(), &grid, &error)) {
        std::fprintf(stderr, "leveltool: %s\n", error.c_str());
        return 1;
    }
    return WriteAndReport(grid, levelPath);
}
#else
// The browser build's tool runs under node without zlib; the page makes
// and reads links with the browser's own compression.
int NoLinks() {
    std::fprintf(stderr, "leveltool: this build cannot make or read links (it has no zlib); "
                         "use a native build\n");
    return 2;
}
int Link(const char*, const char*) {
    return NoLinks();
}
int Unlink(const char*, const char*) {
    return NoLinks();
}
#endif

int Usage(FILE* out, int status) {
    std::fprintf(out, kUsage, IDB_LEVEL, kUnfairEnemyWalk, kOpenCellsNorthOfStart,
                 kDefaultPageAddress);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")))
        return Usage(stdout, 0);
    // The minimap picture is made in the display's format: the headless
    // display serves, so the tool needs no window.
    PlatConfig config;
    config.headless = true;
    config.sound = false;
    if (!PlatStartup(config, HeadlessMakeBackend))
        return 2;
    int status = 2;
    if (argc == 4 && !std::strcmp(argv[1], "make")) {
        status = Make(argv[2], argv[3]);
    } else if (argc >= 3 && !std::strcmp(argv[1], "check")) {
        status = Check(argc - 2, argv + 2);
    } else if ((argc == 3 || argc == 4) && !std::strcmp(argv[1], "link")) {
        status = Link(argv[2], argc == 4 ? argv[3] : kDefaultPageAddress);
    } else if (argc == 4 && !std::strcmp(argv[1], "unlink")) {
        status = Unlink(argv[2], argv[3]);
    } else if (argc == 3 && !std::strcmp(argv[1], "show")) {
        status = LoadAndReport(argv[2], 0, true);
    } else if (argc == 4 && !std::strcmp(argv[1], "show") && !std::strcmp(argv[2], "--resource")) {
        int64_t id = 0;
        if (!ParseInteger(argv[3], 1, 65535, &id)) {
            std::fprintf(stderr, "leveltool: %s is not a resource number\n", argv[3]);
        } else {
            status = LoadAndReport(nullptr, static_cast<int>(id), true);
        }
    } else {
        status = Usage(stderr, 2);
    }
    PlatShutdown();
    return status;
}
