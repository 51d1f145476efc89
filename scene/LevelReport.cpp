#include "scene/LevelReport.h"
#include "math3d/Sprite.h"
#include "scene/Maze.h"
#include "scene/MazeWall.h"

namespace {

int IndexIn(const CSurface* pPicture, CSurface* const* table, int count) {
    for (int i = 0; i < count; ++i)
        if (table[i] == pPicture)
            return i;
    return -1;
}

std::string Plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

LevelReport ReportOnMaze(const CMaze& maze, CSurface* const* wallTable, int wallCount,
                         CSurface* const* itemTable, int itemCount) {
    LevelReport report;
    report.name = maze.GetName();
    report.width = maze.GetWidth();
    report.height = maze.GetHeight();
    maze.GetStartCell(&report.startColumn, &report.startRow);
    report.hasStart = maze.GetCell(report.startColumn, report.startRow) == CELL_START;
    report.startIsWall = maze.IsWallAt(report.startColumn, report.startRow);
    report.enemies = maze.GetChildCount();
    report.facesByTexture.assign(wallCount > 0 ? wallCount : 0, 0);
    for (const CDrawable* pDrawable : maze.GetDrawables()) {
        if (pDrawable->GetKind() == CDrawable::KindMazeWall) {
            ++report.faces;
            const int i = IndexIn(static_cast<const CMazeWall*>(pDrawable)->GetTexture(), wallTable,
                                  wallCount);
            if (i >= 0)
                ++report.facesByTexture[i];
        } else if (pDrawable->GetKind() == CDrawable::KindSprite) {
            const int i =
                IndexIn(static_cast<const CSprite*>(pDrawable)->m_pImage, itemTable, itemCount);
            if (i == ITEM_DOT)
                ++report.dots;
            else if (i == ITEM_GUN)
                ++report.guns;
            else
                ++report.decorations;
        }
    }
    for (int r = 0; r < report.height; ++r) {
        for (int c = 0; c < report.width; ++c) {
            const uint8_t cell = maze.GetCell(c, r);
            if (CellClass(cell) == CELL_CLASS_ITEM &&
                (r == 0 || c == 0 || CellType(cell) >= itemCount)) {
                ++report.unbuiltItems;
                if (CellType(cell) == ITEM_DOT)
                    ++report.uncountedDots;
            }
            if (IsWallCell(cell) && 2 * CellType(cell) >= wallCount)
                ++report.invisibleWalls;
        }
    }
    return report;
}

std::string FormatLevelReport(const LevelReport& report) {
    std::string out;
    if (!report.name.empty())
        out += "name: " + report.name + "\n";
    out += "size: " + std::to_string(report.width) + " x " + std::to_string(report.height) +
           " cells\n";
    out += "start: column " + std::to_string(report.startColumn) + ", row " +
           std::to_string(report.startRow) +
           (report.hasStart ? "" : " (no start marker: the middle)") + "\n";
    out += "dots: " + std::to_string(report.dots) + "\n";
    out += "guns: " + std::to_string(report.guns) + "\n";
    out += "decorations: " + std::to_string(report.decorations) + "\n";
    out += "enemies: " + std::to_string(report.enemies) + "\n";
    out += "wall faces: " + std::to_string(report.faces);
    if (report.faces > 0) {
        // Only the entries with faces: most levels use few of the wall types.
        out += " (by texture entry:";
        const char* separator = " ";
        for (size_t i = 0; i < report.facesByTexture.size(); ++i)
            if (report.facesByTexture[i] > 0) {
                out +=
                    separator + std::to_string(i) + ": " + std::to_string(report.facesByTexture[i]);
                separator = ", ";
            }
        out += ")";
    }
    out += "\n";
    if (report.startIsWall)
        out += "warning: the player starts inside a wall\n";
    if (report.dots == 0)
        out += "warning: no counted dots: eating a dot never ends this level\n";
    if (report.uncountedDots > 0)
        out += "warning: " + Plural(report.uncountedDots, "dot", "dots") +
               " on row 0 or column 0 can be eaten but never counted, so the level ends that "
               "many counted dots early\n";
    if (report.unbuiltItems > report.uncountedDots)
        out += "warning: " + Plural(report.unbuiltItems - report.uncountedDots, "item", "items") +
               " on row 0, column 0 or without a picture: never shown (a dot or gun there "
               "can still be taken)\n";
    if (report.invisibleWalls > 0)
        out += "warning: " + Plural(report.invisibleWalls, "wall cell has", "wall cells have") +
               " a type without textures: solid but invisible\n";
    return out;
}
