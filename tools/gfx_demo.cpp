// Composes one frame with every imaging operation on the headless display —
// a keyed sprite, a stretched sprite, a 40 percent blend, a textured wall
// trapezoid and a number — presents it, shows a half-faded frame, fades to
// black, and writes a 24-bit BMP screenshot after each step.
// Usage: gfx_demo [output prefix] [555|565|888]
//   writes <prefix>_frame.bmp, <prefix>_half.bmp, <prefix>_faded.bmp
#include "app/PictureLists.h"
#include "gfx/Screen.h"
#include "platform/FrameWnd.h"
#include "platform/Platform.h"
#include "platform/WindowSystem.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | g << 8 | b << 16;
}

// Loads a bitmap resource, or paints a stand-in when it is missing so the
// demo still shows each operation.
void LoadOrPaint(CSurface& s, int id, int32_t w, int32_t h, bool keyed) {
    if (s.LoadBitmapResource(id))
        return;
    std::fprintf(stderr, "gfx_demo: bitmap %d missing, drawing a stand-in\n", id);
    s.Create(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int32_t dx = 2 * x - w, dy = 2 * y - h;
            const bool inside = dx * dx + dy * dy < w * h;
            s.SetPixel(x, y,
                       keyed && !inside
                           ? 0x000000FFu
                           : Rgb(40 + 200 * x / w, 40 + 200 * y / h, (x ^ y) & 8 ? 200 : 90));
        }
}

bool Save(const std::string& path) {
    if (!PlatSaveScreenshot(path.c_str())) {
        std::fprintf(stderr, "gfx_demo: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("wrote %s\n", path.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::string prefix = argc > 1 ? argv[1] : "gfx_demo";
    HeadlessDisplay display;
    if (argc > 2 && std::strcmp(argv[2], "555") == 0)
        display.format = kfDirect555;
    else if (argc > 2 && std::strcmp(argv[2], "888") == 0) {
        display.bitsPerPixel = 32;
        display.format = kfDirect888;
    }
    // The client area sits below a 26-pixel strip, as under the handheld's
    // title bar.
    display.clientOrigin = {0, 26};
    display.clientHeight = 294;

    PlatConfig config;
    config.headless = true;
    config.sound = false;
    if (!PlatStartup(config, HeadlessMakeBackend))
        return 1;
    HeadlessReset(display);

    int result = 0;
    CFrameWnd* frame = new CFrameWnd; // deletes itself when its window goes
    if (!frame->Create("gfx demo", 0, PlatRect{0, 0, 240, 320}, nullptr, 0)) {
        std::fprintf(stderr, "gfx_demo: no window\n");
        return 1;
    }
    {
        CScreen screen(frame->GetSafeHwnd());
        CSurface sky, wall, enemy, dot, flash;
        LoadOrPaint(sky, IDB_SKY, 240, 120, false);
        LoadOrPaint(wall, IDB_WALL_TILES, 64, 64, false);
        LoadOrPaint(enemy, IDB_ENEMY, 32, 32, true);
        LoadOrPaint(dot, IDB_DOT, 16, 16, true);
        LoadOrPaint(flash, IDB_FLASH, 64, 64, true);
        LoadDigitGlyphs();

        // A floor gradient below a sky strip, drawn pixel by pixel.
        for (int32_t y = 0; y < screen.height; ++y)
            for (int32_t x = 0; x < screen.width; ++x)
                screen.SetPixel(x, y, Rgb(30, 30 + y / 4, 60 + y / 3));
        screen.Blit(sky, 0, 0, false);

        // The wall: a trapezoid narrowing to the right, as seen at an angle.
        screen.DrawWallQuad(wall, 20, 150, 40, 80, 230, 190);
        // A keyed sprite at its own size, and stretched sprites: the enemy at
        // half its size, the dot at half and at twice its size.
        screen.Blit(enemy, 100, 150, true);
        screen.StretchBlit(enemy, 170, 90, enemy.width / 2, enemy.height / 2, true);
        screen.StretchBlit(dot, 30, 235, dot.width / 2, dot.height / 2, true);
        screen.StretchBlit(dot, -40, 250, dot.width * 2, dot.height * 2, true);
        // A 40 percent overlay with its key.
        screen.BlendBlit(flash, 60, 90, true, 40);
        // The score at its usual place, zero-padded to five digits.
        screen.DrawNumber(g_digitGlyphs, 4711, 5, 5, 5);

        if (!screen.Present() || !Save(prefix + "_frame.bmp"))
            result = 1;

        // One step of the fade by hand, at 50 percent, to look at.
        CSurface half;
        if (half.CopyTinted(screen.backBuffer, 50, 50, 50)) {
            int32_t x = 0, y = 0;
            screen.BeginDraw(&x, &y);
            screen.Blit(half, x, y, false);
            screen.EndDraw();
            if (!Save(prefix + "_half.bmp"))
                result = 1;
        }
        const int before = HeadlessPresentCount();
        if (!screen.FadeOut() || !Save(prefix + "_faded.bmp"))
            result = 1;
        std::printf("fade: %d frames\n", HeadlessPresentCount() - before);
    }
    frame->DestroyWindow();
    PlatShutdown();
    return result;
}
