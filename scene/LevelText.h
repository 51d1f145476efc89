// Levels as text: one character a cell, so levels can be written, read and
// reviewed by hand, and turned into the 8-bit level bitmaps the game loads.
//
// The legend (character, cell byte):
//   .  1   corridor                 o  64  dot
//   P  2   player start             G  65  gun
//   E  3   enemy start              B  66  barrel (decoration)
//   _  0   bare floor (marker 0)    C  67  crate (decoration)
//   ,  192 open floor of class 3    L  68  lamp (decoration)
//   #  128 wall type 0 (tiles)      X  129 wall type 1 (wood)
//   Y  130 wall type 2 (stone)      Z  131 wall type 3 (brick)
//   H  132 wall type 4 (hedge)
//
// Text format: every line that is not blank, a comment or a definition is one
// row of the map, top row first; all rows have the same length. A line
// starting with ';' is a comment. A line "=C N" defines (or redefines)
// character C as cell byte N (0 to 255), for any byte the legend lacks;
// "=C N R G B" does the same and gives palette index N the minimap colour
// (R, G, B), each 0 to 255. A colour the 5-6-5 display would turn into the
// see-through red is refused; pure red itself makes the cells see-through.
// A line "=name NAME" gives the level its name (1 to kMaxLevelNameChars
// printable ASCII characters; blanks at either end do not count).
// Trailing carriage returns are ignored; every other character counts.
#pragma once
#include "scene/LevelBitmap.h"
#include <cstdint>
#include <string>
#include <vector>

// The legend's character for a cell byte, or 0 when it has none.
char LegendCharForCell(uint8_t cell);
// The legend's cell byte for a character; false when it has none.
bool LegendCellForChar(char ch, uint8_t* cell);

// Parses a text map. False with the first problem (and its line) in *error.
bool ParseLevelText(const std::string& text, LevelGrid* grid, std::string* error);

// Prints a grid as a text map that ParseLevelText reads back exactly, its
// colours and name included. Bytes the legend lacks get free characters, announced by
// "=C N" lines first; coloured bytes get "=C N R G B" lines (a byte no cell
// uses on a character the rows do not use). False (with the reason) only
// when a grid needs more distinct unnamed bytes than there are printable
// characters left.
bool FormatLevelText(const LevelGrid& grid, std::string* text, std::string* error);

// An uncompressed bottom-up 8-bit BMP of the grid with the full 256-entry
// palette above (LevelPaletteColour, with the grid's colours in their
// places): the 14-byte file header, the 40-byte information header, the
// colour table and the rows padded to 4 bytes, then the name, if any (see
// kLevelNameMark). Without the file header the
// result has the layout of a bitmap resource.
std::vector<uint8_t> MakeLevelBitmap(const LevelGrid& grid, bool withFileHeader = true);

// Writes bytes to a file; false when it cannot be written completely.
bool WriteWholeFile(const char* path, const std::vector<uint8_t>& bytes);
