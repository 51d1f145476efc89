// A level as the body of a link's code: what a link carries after
// "#level=" is MakeLinkCode(kLevelCodeFormat, raw deflate of the body), so a
// level travels as a link and comes back cell for cell, colours included.
//
// The body, little-endian:
//   u16 width, u16 height          each 1 to kMaxLevelSide
//   u16 n                          colours that differ from the default, 0 to 256
//   n x (u8 index, u8 red, u8 green, u8 blue)   by strictly rising index
//   width * height cell bytes      row-major, top row first
//   only for a named level: u8 m (1 to kMaxLevelNameChars), m bytes of
//     its name, clean (CleanLevelName)
//   u32 CRC-32 of every byte before it
// and nothing after. A body without the name is the first links' body, so
// they read as a level without a name.
#pragma once
#include "scene/LevelBitmap.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The format character of level links.
const char kLevelCodeFormat = '1';
// What marks a level's code in a link.
const char kLevelLinkMark[] = "#level=";
// The largest body of any level: a code whose body unpacks to more is
// refused as it unpacks.
const size_t kMaxLevelCodeBodyBytes =
    6 + 256 * 4 + static_cast<size_t>(kMaxLevelSide) * kMaxLevelSide + 1 + kMaxLevelNameChars + 4;

// The body of a grid. Refused, with *body empty and a one-line reason in
// *error (if given), for a grid no link can carry: a side outside 1 to
// kMaxLevelSide, cells not width * height, colours not by strictly rising
// index, equal to the default colour, or so near the see-through red that
// the minimap would leave them out (see IsNearColourKey; a text map refuses
// those too), or a name that is not clean. Every grid ParseLevelText reads
// is carried.
bool MakeLevelCodeBody(const LevelGrid& grid, std::vector<uint8_t>* body, std::string* error);

// The grid of a body. Refused, with *grid emptied and a one-line reason in
// *error (if given), for any body MakeLevelCodeBody cannot have written: too
// short to hold a check sum, a check sum that does not match, then any
// field out of its range or a length other than the fields ask for.
bool ReadLevelCodeBody(const uint8_t* body, size_t size, LevelGrid* grid, std::string* error);

// The code in a link: what follows kLevelLinkMark, or all of the text when
// it has no mark (a code pasted on its own).
std::string_view LevelCodeOfLink(std::string_view link);
