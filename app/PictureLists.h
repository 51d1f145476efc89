// The three program-wide picture lists every level shares: wall textures,
// item pictures and enemy pictures. They are filled once when the world is
// created and freed when it is destroyed; the wall quads and sprites point
// into them without owning anything. Beside them, the score's ten digit
// glyphs.
#pragma once
#include "gfx/Surface.h"
#include "scene/PictureTables.h"
#include <vector>

// Entry 2t is wall type t's texture, entry 2t + 1 the same picture at 60 %
// brightness, or null when no darker copy was asked for. Owns its surfaces.
extern std::vector<CSurface*> g_wallTextures;
// Indexed by item type (0 dot, 1 gun, 2 barrel, ...). Owns its surfaces.
extern std::vector<CSurface*> g_itemImages;
// The enemies' pictures. Owns its surfaces.
extern std::vector<CSurface*> g_enemyImages;

// Entry d is the glyph of the digit d: empty from program start until
// LoadDigitGlyphs, released at exit.
extern CSurface g_digitGlyphs[10];

// The glyphs of the game's words, entry c - CSurface::FirstGlyph for
// character c: empty until LoadFontGlyphs, released at exit.
extern CSurface g_fontGlyphs[CSurface::GlyphCount];

// Always appends exactly two entries, so wall type t's pair stays at 2t and
// 2t + 1: the picture of bitmap resource `id`, then its darker copy (when
// bDarker) or null. A picture that does not load stays as an empty surface
// in its slot.
void AddWallTexture(int id, bool bDarker);
// Fills g_digitGlyphs[d] from bitmap resource IDB_DIGIT0 + d; again on a
// second call, in place.
void LoadDigitGlyphs();
// Cuts g_fontGlyphs out of bitmap resource IDB_FONT, a sheet of equal
// cells, 16 a row in character order; a sheet that does not load leaves
// them empty.
void LoadFontGlyphs();
// Appends one entry (an empty surface when the picture does not load).
void AddItemImage(int id);
void AddEnemyImage(int id);

// Delete every non-null entry, then empty the list and release its storage.
// Freeing an empty list does nothing.
void FreeWallTextures();
void FreeItemImages();
void FreeEnemyImages();

// The three lists as the tables the world builds its mazes with. They point
// into the lists' storage, so they hold only until a list next changes.
PictureTables SharedPictureTables();
