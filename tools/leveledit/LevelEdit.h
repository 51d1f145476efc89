// The page's level editor module: the game's own level code (text maps,
// level files, the checks, the budget, link codes) behind a few C calls the
// editor's JavaScript makes. It keeps one current grid. Pointers it returns
// stay valid until the next call that changes what they point at; strings
// until the next call that returns one.
#pragma once
#include <cstdint>

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#define EDIT_EXPORT EMSCRIPTEN_KEEPALIVE
#else
#define EDIT_EXPORT
#endif

extern "C" {

// A new current grid of width x height corridor cells, colours cleared and
// the name kept: returns its cells to fill. Null (grid unchanged) when a side is outside
// 1..kMaxLevelSide.
EDIT_EXPORT uint8_t* EditSetGrid(int width, int height);
// Room for `count` colours of 4 bytes (index, red, green, blue) replacing the
// grid's; null when count is outside 0..256. They are put in order of index
// before use: a repeated index keeps its last colour, and colours that are
// the default or that the display would turn see-through are dropped.
EDIT_EXPORT uint8_t* EditSetColours(int count);
EDIT_EXPORT int EditWidth();
EDIT_EXPORT int EditHeight();
EDIT_EXPORT uint8_t* EditCells();
EDIT_EXPORT int EditColourCount();
EDIT_EXPORT uint8_t* EditColours();
// The level's name ("" for none), and a new one: "" when it is set, or the
// reason it is refused (name unchanged). Names are 0 to kMaxLevelNameChars
// printable ASCII characters; blanks at either end are dropped.
EDIT_EXPORT const char* EditName();
EDIT_EXPORT const char* EditSetName(const char* name);

// The checks `leveltool check` runs, as JSON: counts, start, budget, tour
// length, how many problems there are ("count"), the first 100 with the
// cells they are about (1000 cells in all at most), and the tool's report.
EDIT_EXPORT const char* EditCheck();

// The level file `leveltool make` writes for the grid; its size, the bytes at
// EditOutput().
EDIT_EXPORT int EditMakeBitmap();
// The grid as a text map at EditOutput(); its size, or -1 with EditError().
EDIT_EXPORT int EditFormatText();
EDIT_EXPORT uint8_t* EditOutput();
EDIT_EXPORT int EditOutputSize();
EDIT_EXPORT const char* EditError();

// "" with the grid replaced by the level read, or the reason it is refused
// (the grid unchanged).
EDIT_EXPORT const char* EditReadBitmap(const uint8_t* bytes, int size);
EDIT_EXPORT const char* EditReadText(const char* text);

// Links (scene/LevelCode.h): the page deflates and inflates, the module
// does the rest. The body of the grid at EditOutput(): its size, or -1 with
// EditError().
EDIT_EXPORT int EditCodeBody();
// "" with the grid replaced by the body's, or the reason (grid unchanged).
EDIT_EXPORT const char* EditReadCodeBody(const uint8_t* body, int size);
// The deflated body a level's code (or a whole link) carries: "" with it at
// EditOutput() and EditOutputSize(), or the reason.
EDIT_EXPORT const char* EditReadLinkCode(const char* code);
// The code of a deflated body.
EDIT_EXPORT const char* EditMakeLinkCode(const uint8_t* deflated, int size);
// The largest body a code may inflate to.
EDIT_EXPORT double EditMaxCodeBodyBytes();

// size x size RGBA pixels of how `cell` looks (see LevelSwatch.h); null for
// a size outside 1..kMaxSwatchSide or a byte outside 0..255.
EDIT_EXPORT uint8_t* EditSwatch(int cell, int size);
EDIT_EXPORT int EditMaxSide();
}
