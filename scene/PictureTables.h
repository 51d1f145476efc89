// The pictures a maze builds with, and the score's digits, handed down by
// whoever owns them (the game's program-wide lists, a test's or a tool's
// stand-ins): each kind a table that the maze, its drawables and the world
// use but never own. The pictures must outlive every drawable built with
// them.
#pragma once

class CSurface;

struct PictureTables {
    // Entry 2t is wall type t's texture, 2t + 1 its darker copy (may be
    // null). A wall type past the table stays solid but is not drawn.
    CSurface* const* walls = nullptr;
    int wallCount = 0;
    // By item type (0 dot, 1 gun, 2 barrel, ...). An item type past the
    // table gets no sprite, and such a dot is not counted.
    CSurface* const* items = nullptr;
    int itemCount = 0;
    // The enemies' pictures; without any an enemy roams unseen.
    CSurface* const* enemies = nullptr;
    int enemyCount = 0;
    // The ten digit glyphs the head-up display writes the score with, entry
    // d the digit d (the maze does not use them); null writes no score.
    const CSurface* digits = nullptr;
    // The glyphs of the game's words (CSurface::GlyphCount of them, from
    // CSurface::FirstGlyph); null writes no words.
    const CSurface* font = nullptr;
};
