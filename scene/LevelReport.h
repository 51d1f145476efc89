// What the game builds from a level, in words: the level tool prints it, so a
// level can be checked before it is played.
#pragma once
#include <string>
#include <vector>

class CMaze;
class CSurface;

// The program's picture counts: five wall types of two textures each (tiles,
// wood, stone, brick, hedge), and five item pictures (dot, gun, barrel,
// crate, lamp).
const int kProgramWallTextures = 10;
const int kProgramItemImages = 5;

struct LevelReport {
    std::string name; // as the maze read it; "" for none
    int width = 0;
    int height = 0;
    bool hasStart = false; // a start marker exists
    int startColumn = 0;   // where the player starts
    int startRow = 0;
    bool startIsWall = false;
    int dots = 0;        // dots with a sprite, counted toward the level's end
    int guns = 0;        // gun pick-ups with a sprite
    int decorations = 0; // decoration sprites (item types 2 and up with a picture)
    int enemies = 0;
    int unbuiltItems = 0;            // items on row 0 or column 0, or without a picture
    int uncountedDots = 0;           // dots among those: eaten, yet never counted
    int invisibleWalls = 0;          // wall cells of a type without textures
    std::vector<int> facesByTexture; // wall faces per texture entry, one per entry
    int faces = 0;
};

// Reports on a maze built with these tables (their pictures tell the faces
// and sprites apart; the tool builds with kProgramWallTextures and
// kProgramItemImages distinct stand-ins, as the program would).
LevelReport ReportOnMaze(const CMaze& maze, CSurface* const* wallTable, int wallCount,
                         CSurface* const* itemTable, int itemCount);

// Several lines of text: the name (when there is one), size, start, dots, guns, decorations,
// enemies, wall faces by texture entry (the entries with faces), and warnings for what a player
// would notice (no dots, no start marker, items that are never built, invisible walls).
std::string FormatLevelReport(const LevelReport& report);
