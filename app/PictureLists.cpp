#include "app/PictureLists.h"
#include "gfx/Surface.h"
#include "res/ResourceIds.h"

std::vector<CSurface*> g_wallTextures;
std::vector<CSurface*> g_itemImages;
std::vector<CSurface*> g_enemyImages;
// Entry 9 is destroyed first at exit: statics go in reverse order.
CSurface g_digitGlyphs[10];
CSurface g_fontGlyphs[CSurface::GlyphCount];

namespace {

// The darker copy shades the faces on the upper and right sides of a
// corridor, so the walls read by direction without any lighting.
const int kDarkerPercent = 60;
const int kFontSheetColumns = 16;

CSurface* LoadPicture(int id) {
    CSurface* pSurface = new CSurface;
    // A failed load keeps its slot (as an empty surface): the pairing of wall
    // textures and the item-type indexing must never shift.
    pSurface->LoadBitmapResource(id);
    return pSurface;
}

void FreeList(std::vector<CSurface*>& list) {
    for (CSurface* pSurface : list)
        delete pSurface;
    std::vector<CSurface*>().swap(list);
}

} // namespace

void AddWallTexture(int id, bool bDarker) {
    CSurface* pPlain = LoadPicture(id);
    g_wallTextures.push_back(pPlain);
    CSurface* pDark = nullptr;
    if (bDarker) {
        pDark = new CSurface;
        pDark->CopyTinted(*pPlain, kDarkerPercent, kDarkerPercent, kDarkerPercent);
    }
    g_wallTextures.push_back(pDark);
}

// The glyphs are counted from IDB_DIGIT0.
static_assert(IDB_DIGIT9 == IDB_DIGIT0 + 9, "the digit glyphs have ten ids in a row");

void LoadDigitGlyphs() {
    for (int d = 0; d < 10; ++d)
        g_digitGlyphs[d].LoadBitmapResource(IDB_DIGIT0 + d);
}

void LoadFontGlyphs() {
    CSurface sheet;
    for (CSurface& glyph : g_fontGlyphs)
        glyph.Free();
    if (!sheet.LoadBitmapResource(IDB_FONT))
        return;
    const int rows = (CSurface::GlyphCount + kFontSheetColumns - 1) / kFontSheetColumns;
    const int32_t cellWidth = sheet.width / kFontSheetColumns;
    const int32_t cellHeight = sheet.height / rows;
    for (int n = 0; n < CSurface::GlyphCount; ++n) {
        CSurface& glyph = g_fontGlyphs[n];
        // An unkeyed blit of the sheet, shifted, copies one cell whole,
        // its see-through ground with it.
        if (glyph.Create(cellWidth, cellHeight))
            glyph.Blit(sheet, -(n % kFontSheetColumns) * cellWidth,
                       -(n / kFontSheetColumns) * cellHeight, false);
    }
}

void AddItemImage(int id) {
    g_itemImages.push_back(LoadPicture(id));
}

void AddEnemyImage(int id) {
    g_enemyImages.push_back(LoadPicture(id));
}

void FreeWallTextures() {
    FreeList(g_wallTextures);
}

void FreeItemImages() {
    FreeList(g_itemImages);
}

void FreeEnemyImages() {
    FreeList(g_enemyImages);
}

PictureTables SharedPictureTables() {
    PictureTables tables;
    tables.walls = g_wallTextures.data();
    tables.wallCount = static_cast<int>(g_wallTextures.size());
    tables.items = g_itemImages.data();
    tables.itemCount = static_cast<int>(g_itemImages.size());
    tables.enemies = g_enemyImages.data();
    tables.enemyCount = static_cast<int>(g_enemyImages.size());
    tables.digits = g_digitGlyphs;
    tables.font = g_fontGlyphs;
    return tables;
}
