// The level bitmap: an 8-bit palettised bitmap whose pixels are the maze's
// cells. A pixel's palette index is its cell byte: the top two bits are the
// cell's class, the low six bits its type.
//
//   class 0 marker: type 2 player start, 3 to 5 enemy start, others floor
//   class 1 item:   type 0 dot, 1 gun, 2 and up decoration
//   class 2 wall:   type t selects the texture pair 2t, 2t + 1
//   class 3:        open floor, nothing else
//
// Only class 2 is solid.
#pragma once
#include "gfx/Dib.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum : uint8_t {
    CELL_CLASS_MARKER = 0,
    CELL_CLASS_ITEM = 1,
    CELL_CLASS_WALL = 2,
    CELL_CLASS_FLOOR = 3,

    CELL_CORRIDOR = 1,    // plain corridor; also what a taken item leaves
    CELL_START = 2,       // the player's start
    CELL_ENEMY_FIRST = 3, // enemy starts are 3, 4 and 5
    CELL_ENEMY_LAST = 5,
    CELL_ITEM = 64,  // + item type
    CELL_WALL = 128, // + wall type

    ITEM_DOT = 0,
    ITEM_GUN = 1,
};

inline int CellClass(uint8_t cell) {
    return cell >> 6;
}
inline int CellType(uint8_t cell) {
    return cell & 63;
}
inline bool IsWallCell(uint8_t cell) {
    return CellClass(cell) == CELL_CLASS_WALL;
}
inline bool IsEnemyStartCell(uint8_t cell) {
    return cell >= CELL_ENEMY_FIRST && cell <= CELL_ENEMY_LAST;
}

// The largest level side the game accepts, in cells. Larger bitmaps fail the
// load before anything is allocated for them.
const int kMaxLevelSide = 4096;
// The largest level file read into memory: a level of kMaxLevelSide a side
// with generous headers fits with room to spare.
const size_t kMaxLevelFileBytes = 64u << 20;
// The colour table always has 256 entries of 4 bytes; the rows follow it.
const size_t kLevelColourTableBytes = 1024;

// A palette entry of a level bitmap that differs from the default palette.
struct LevelColour {
    uint8_t index;
    uint8_t red, green, blue;
};

// A level's name is short printable ASCII: the game draws it on a screen
// 240 pixels wide, and it comes from files and links anyone can make.
const size_t kMaxLevelNameChars = 24;

// The name as a level may carry it: bytes outside printable ASCII dropped,
// blanks at either end trimmed, then cut to kMaxLevelNameChars (and trimmed
// again). A name that comes back unchanged is clean.
std::string CleanLevelName(const std::string& name);
// The name a person typed: blanks and tabs at either end dropped into
// *name; false (with *name unchanged) when the rest is not clean.
bool TrimLevelName(const std::string& typed, std::string* name);

// What follows the last pixel row of a level file that has a name: the
// mark, one byte of length (1 to kMaxLevelNameChars) and the name. Every
// reader of the format takes exactly `height` rows after the colour table
// and ignores what comes after, so a named level still loads anywhere.
const char kLevelNameMark[4] = {'Q', 'N', 'A', 'M'};

// The name of the level in bitmap resource `id` ("" for none): a resource
// has no room after its rows, so the built-in level's is given here.
std::string ResourceLevelName(int id);

// A level's cells: row-major, row 0 the top row of the picture.
struct LevelGrid {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> cells; // width * height bytes
    // The minimap colours that differ from LevelPaletteColour, by rising
    // index, each index at most once. The game reads only the cells; the
    // colours let a level's own palette go through text and back.
    std::vector<LevelColour> colours;
    std::string name; // clean (see CleanLevelName); "" for none
};

// The default colour (red, green, blue) of palette index i in a level
// bitmap: the built-in level's colours for its eight indices; for the others
// pure red (see-through on the minimap) for markers and class-3 floor, and a
// colour of their own for the walls and decorations the game has pictures
// for; the barrel's colour for other items and grey for other walls.
void LevelPaletteColour(int index, uint8_t* red, uint8_t* green, uint8_t* blue);

// True for a colour that is not the see-through pure red but would become it
// on a 5-6-5 display (red >= 248, green < 4, blue < 8): the minimap would
// leave such a cell out by accident.
inline bool IsNearColourKey(int red, int green, int blue) {
    return red >= 248 && green < 4 && blue < 8 && !(red == 255 && green == 0 && blue == 0);
}

// Bytes per stored row of an 8-bit bitmap `width` pixels wide (padded to 4).
inline size_t LevelRowStride(int width) {
    return DibRowStride(8, width);
}

// The bytes of a level, read once: the grid and the minimap picture are both
// made from them. `info` points at the information header, inside `file`
// for a level file or inside the program for a bitmap resource.
struct LevelBytes {
    LevelBytes() = default;
    LevelBytes(const LevelBytes&) = delete; // `info` may point into `file`
    LevelBytes& operator=(const LevelBytes&) = delete;

    std::vector<uint8_t> file; // a level file's bytes; empty for a resource
    const uint8_t* info = nullptr;
    size_t size = 0; // bytes from `info` on
};

// A level .BMP file read into memory: it must start with "BM" and hold no
// more than kMaxLevelFileBytes. The file header's pixel offset is not read.
// False with a one-line reason in *error (if given).
bool ReadLevelBytes(const char* path, LevelBytes* bytes, std::string* error);
// Level bitmap resource `id` of the program; false with a reason when there
// is none.
bool FindLevelBytes(int id, LevelBytes* bytes, std::string* error);

// Reads the cells of a level bitmap held in memory from its information
// header on (`size` bytes; a bitmap resource has this layout). The header is
// read by ReadDibInfo, as the pictures' is; on top of that a level must have
// 8 bits per pixel and at most kMaxLevelSide cells a side. The rows start
// 1024 bytes after the header and are stored bottom-up; the last stored row
// may lack its padding. Fails, reading nothing outside the data, when any of
// this does not hold or the colour table and rows run past the end. On
// failure *grid is emptied and *error (if given) says why, in one line.
// The palette entries that differ from the default go to grid->colours, and
// the name after the rows (kLevelNameMark), cleaned, to grid->name.
bool ReadLevelDib(const uint8_t* data, size_t size, LevelGrid* grid, std::string* error);

// ReadLevelDib on the bytes of resource `id` (named by ResourceLevelName) or
// of the file at `path`.
bool ReadLevelResource(int id, LevelGrid* grid, std::string* error);
bool ReadLevelFile(const char* path, LevelGrid* grid, std::string* error);
