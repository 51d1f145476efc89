// Draws a small hand-built scene through the scene tree and the drawables on
// the headless display and writes one 24-bit BMP screenshot per heading, for
// looking at what the renderer makes of walls and billboards.
// Usage: scene_demo [output prefix]   (default "scene_demo": scene_demo_090.bmp, ...)
#include "gfx/Screen.h"
#include "math3d/Pose.h"
#include "math3d/Sprite.h"
#include "math3d/WallQuad.h"
#include "platform/headless/Headless.h"
#include "platform/Platform.h"
#include "platform/WindowSystem.h"
#include "platform/Wnd.h"
#include "scene/SceneFrame.h"
#include "scene/SceneNode.h"

#include <cstdio>
#include <string>

namespace {

constexpr uint32_t kKey = 0x000000FF; // pure red, transparent in sprites

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | g << 8 | b << 16;
}

// Columns are x, rows are z. '#' is wall, 'o' a dot, 'E' the enemy's cell.
const char* const kLevel[] = {
    "##########", //
    "#.o.oE.o.#", //
    "#o##.###.#", //
    "#.#o.....#", //
    "#o#.##.#.#", //
    "#.o.#..#.#", //
    "##########", //
};
constexpr int kRows = sizeof(kLevel) / sizeof(kLevel[0]);
constexpr int kCols = 10;

bool IsWall(int c, int r) {
    return c < 0 || r < 0 || c >= kCols || r >= kRows || kLevel[r][c] == '#';
}

class CDemoWnd : public CWnd {};

// A node that owns its drawables, as the maze and the enemies do.
class CDemoNode : public CSceneNode {
public:
    CDemoNode(CSceneNode* parent, uint32_t id) : CSceneNode(parent, id) {}
    ~CDemoNode() override {
        for (CDrawable* d : m_drawables)
            delete d;
    }
    void Add(CDrawable* d) { m_drawables.push_back(d); }
    void PlaceAt(double x, double z) { m_matrix.SetTranslation(x, 0.0, z); }
    void SetNoCull() { m_bNoCull = true; }
};

// Bricks with a yellow stripe down the left edge, so a face drawn mirrored
// or from behind shows at once.
bool MakeWallTexture(CSurface& s, uint32_t brick, uint32_t mortar) {
    if (!s.Create(32, 32))
        return false;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int shift = (y / 8) % 2 == 0 ? 0 : 8;
            const bool joint = y % 8 == 7 || (x + shift) % 16 == 15;
            uint32_t c = joint ? mortar : brick;
            if (x < 3)
                c = Rgb(255, 230, 0);
            s.SetPixel(x, y, c);
        }
    }
    return true;
}

// A disc on the key colour.
bool MakeDot(CSurface& s) {
    if (!s.Create(16, 16))
        return false;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int dx = 2 * x - 15, dy = 2 * y - 15;
            const int d2 = dx * dx + dy * dy;
            s.SetPixel(x, y,
                       d2 <= 100 ? (d2 <= 30 ? Rgb(255, 255, 255) : Rgb(240, 200, 60)) : kKey);
        }
    return true;
}

// A ghostly figure with one eye patch on its left, on the key colour.
bool MakeEnemy(CSurface& s) {
    if (!s.Create(24, 32))
        return false;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 24; ++x) {
            const int dx = 2 * x - 23;
            bool body = y >= 12 ? (y < 30 || (x / 4) % 2 == 0)
                                : (dx * dx + (2 * y - 24) * (2 * y - 24) <= 23 * 23);
            uint32_t c = body ? Rgb(40, 200, 90) : kKey;
            if (y >= 9 && y < 14 && ((x >= 5 && x < 9) || (x >= 15 && x < 19)))
                c = Rgb(255, 255, 255);
            if (y >= 10 && y < 13 && x >= 6 && x < 8)
                c = Rgb(20, 20, 120);
            s.SetPixel(x, y, c);
        }
    return true;
}

void AddFace(CDemoNode& node, const CSurface& texture, const CVector& c0, const CVector& c1,
             const CVector& c2, const CVector& c3) {
    CWallQuad* quad = new CWallQuad;
    quad->SetCorners(c0, c1, c2, c3);
    quad->m_pTexture = &texture;
    node.Add(quad);
}

void AddSprite(CDemoNode& node, const CSurface& image, double x, double z, double height) {
    CSprite* sprite = new CSprite;
    sprite->m_base.Set(x, 0.0, z);
    sprite->m_top.Set(x, height, z);
    sprite->m_pImage = &image;
    node.Add(sprite);
}

// Faces of every wall next to an open cell, with the corners as seen from the
// open cell; the faces along x take the darker texture.
void BuildLevel(CDemoNode& maze, const CSurface& light, const CSurface& dark, const CSurface& dot) {
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) {
            if (IsWall(c, r))
                continue;
            const double x = c, z = r;
            if (IsWall(c, r - 1))
                AddFace(maze, light, {x, 1, z}, {x + 1, 1, z}, {x + 1, 0, z}, {x, 0, z});
            if (IsWall(c + 1, r))
                AddFace(maze, dark, {x + 1, 1, z}, {x + 1, 1, z + 1}, {x + 1, 0, z + 1},
                        {x + 1, 0, z});
            if (IsWall(c, r + 1))
                AddFace(maze, light, {x + 1, 1, z + 1}, {x, 1, z + 1}, {x, 0, z + 1},
                        {x + 1, 0, z + 1});
            if (IsWall(c - 1, r))
                AddFace(maze, dark, {x, 1, z + 1}, {x, 1, z}, {x, 0, z}, {x, 0, z + 1});
            if (kLevel[r][c] == 'o')
                AddSprite(maze, dot, x + 0.5, z + 0.5, 0.5);
        }
}

// One frame, presented; false when the present failed.
bool DrawFrame(CSceneFrame& frame, CScreen& screen, CSceneNode& root, const CPose& eye) {
    // Sky above the horizon, floor below: the demo's nodes draw no background.
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x)
            screen.SetPixel(x, y, y < screen.height / 2 ? Rgb(90, 140, 220) : Rgb(70, 60, 50));
    const bool bPresented = frame.Run(root, eye, eye.GetViewMatrix(), 0, screen);
    std::printf("heading %5.1f: %zu drawables visible\n", eye.heading, frame.GetDrawnCount());
    return bPresented;
}

} // namespace

int main(int argc, char** argv) {
    const std::string prefix = argc > 1 ? argv[1] : "scene_demo";
    PlatConfig config;
    config.headless = true;
    config.sound = false;
    if (!PlatStartup(config, HeadlessMakeBackend))
        return 1;
    HeadlessReset();

    int result = 0;
    {
        CDemoWnd wnd;
        const PlatRect rect = {0, 0, 240, 320};
        HWND hwnd = PlatCreateWindow(&wnd, "scene demo", 0, 0, rect, nullptr);
        CScreen screen(hwnd);
        CSurface light, dark, dot, enemyImage;
        if (hwnd == nullptr || screen.pixels == nullptr ||
            !MakeWallTexture(light, Rgb(170, 70, 50), Rgb(200, 190, 170)) ||
            !dark.CopyTinted(light, 60, 60, 60) || !MakeDot(dot) || !MakeEnemy(enemyImage)) {
            std::fprintf(stderr, "scene_demo: no headless display\n");
            result = 1;
        } else {
            CSceneNode root(nullptr, 0);
            CDemoNode* maze = static_cast<CDemoNode*>(root.AddChild(new CDemoNode(&root, 1)));
            BuildLevel(*maze, light, dark, dot);
            // The enemy stands in its own frame, carried to its cell by its matrix.
            CDemoNode* enemy = static_cast<CDemoNode*>(maze->AddChild(new CDemoNode(maze, 100000)));
            enemy->SetNoCull();
            AddSprite(*enemy, enemyImage, 0.5, 0.5, 1.0);
            for (int r = 0; r < kRows; ++r)
                for (int c = 0; c < kCols; ++c)
                    if (kLevel[r][c] == 'E')
                        enemy->PlaceAt(c, r);

            CPose eye;
            eye.Set(1.5, 0.5, 1.5);
            CSceneFrame frame;
            for (double heading : {90.0, 135.0, 180.0}) {
                eye.heading = heading;
                const bool bPresented = DrawFrame(frame, screen, root, eye);
                char name[32];
                std::snprintf(name, sizeof(name), "_%03d.bmp", static_cast<int>(heading));
                const std::string path = prefix + name;
                if (!bPresented || !PlatSaveScreenshot(path.c_str())) {
                    std::fprintf(stderr, "scene_demo: could not write %s\n", path.c_str());
                    result = 1;
                    break;
                }
                std::printf("wrote %s\n", path.c_str());
            }
        }
        PlatDestroyWindow(hwnd);
    }
    PlatShutdown();
    return result;
}
