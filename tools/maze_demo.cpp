// Renders the maze on the headless display, the frame steps run by hand, and
// writes one 24-bit BMP screenshot per heading: for looking at the sky, floor,
// walls, items, enemies and minimap exactly as a player would see them.
//
// Usage: maze_demo [--level FILE] [--at X Z] [--frames N] [--out PREFIX]
//   --level FILE  a level bitmap (default: the built-in level)
//   --at X Z      where the player stands (default: the start cell's middle)
//   --frames N    frames of 16 ms run before each shot (default 1)
//   --out PREFIX  screenshots PREFIX_000.bmp ... PREFIX_270.bmp (default maze_demo)
#include "app/MainFrame.h"
#include "app/PictureLists.h"
#include "gfx/Screen.h"
#include "math3d/Pose.h"
#include "platform/Numbers.h"
#include "platform/Platform.h"
#include "platform/WindowSystem.h"
#include "platform/Wnd.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"
#include "scene/Maze.h"
#include "scene/SceneFrame.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class CDemoWnd : public CWnd {};

// One frame as the world runs it, without the world's gun and score; returns
// the number of drawables drawn.
size_t RunFrame(CSceneFrame& frame, CScreen& screen, CSceneNode& root, const CPose& camera,
                int dt) {
    frame.Run(root, camera, camera.GetViewMatrix(), dt, screen);
    return frame.GetDrawnCount();
}

} // namespace

int main(int argc, char** argv) {
    std::string level, prefix = "maze_demo";
    bool bAt = false;
    double atX = 0, atZ = 0;
    int64_t frames = 1;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--level") && i + 1 < argc) {
            level = argv[++i];
        } else if (!std::strcmp(argv[i], "--at") && i + 2 < argc) {
            bAt = true;
            atX = std::atof(argv[++i]);
            atZ = std::atof(argv[++i]);
        } else if (!std::strcmp(argv[i], "--frames") && i + 1 < argc &&
                   ParseInteger(argv[i + 1], 1, 100000, &frames)) {
            ++i;
        } else if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
            prefix = argv[++i];
        } else {
            std::fprintf(stderr, "usage: maze_demo [--level FILE] [--at X Z] [--frames N] "
                                 "[--out PREFIX]\n");
            return 2;
        }
    }
    PlatConfig config;
    config.headless = true;
    config.sound = false;
    if (!PlatStartup(config, HeadlessMakeBackend))
        return 1;
    HeadlessReset();
    LoadSharedPictures();

    int result = 0;
    {
        CDemoWnd wnd;
        const PlatRect rect = {0, 0, 240, 320};
        HWND hwnd = PlatCreateWindow(&wnd, "maze demo", 0, 0, rect, nullptr);
        CScreen screen(hwnd);
        CSceneNode root(nullptr, 0);
        CMaze* maze = new CMaze(&root, 1);
        root.AddChild(maze);
        const PictureTables pictures = SharedPictureTables();
        const bool bLoaded = level.empty()
                                 ? maze->LoadFromResource(IDB_LEVEL, IDB_SKY, IDB_FLOOR, pictures)
                                 : maze->LoadFromFile(level.c_str(), IDB_SKY, IDB_FLOOR, pictures);
        if (!hwnd || !screen.pixels || !bLoaded) {
            std::fprintf(stderr, "maze_demo: %s\n",
                         bLoaded ? "no headless display" : "the level does not load");
            result = 1;
        } else {
            CPose camera;
            int column = 0, row = 0;
            maze->GetStartCell(&column, &row);
            camera.x = bAt ? atX : column + 0.5;
            camera.y = 0.5;
            camera.z = bAt ? atZ : row + 0.5;
            CSceneFrame frame;
            for (int heading = 0; heading < 360; heading += 90) {
                camera.heading = heading;
                size_t drawn = 0;
                for (int f = 0; f < frames; ++f)
                    drawn = RunFrame(frame, screen, root, camera, 16);
                std::printf("heading %3d at (%.2f, %.2f): %zu drawables drawn\n", heading, camera.x,
                            camera.z, drawn);
                char name[32];
                std::snprintf(name, sizeof name, "_%03d.bmp", heading);
                const std::string path = prefix + name;
                if (!PlatSaveScreenshot(path.c_str())) {
                    std::fprintf(stderr, "maze_demo: cannot write %s\n", path.c_str());
                    result = 1;
                }
            }
        }
        root.DeleteChildren();
        if (hwnd)
            PlatDestroyWindow(hwnd);
    }
    FreeWallTextures();
    FreeItemImages();
    FreeEnemyImages();
    PlatShutdown();
    return result;
}
