// The world's state, writable, for tests and benchmarks alone: they set up
// states the rules would take long to reach (three shots, one life left),
// draw on the world's screen and hang nodes of their own under its root.
// The game reads the world only through its getters.
#pragma once
#include "world/World.h"

struct WorldProbe {
    explicit WorldProbe(CWorld& world)
        : screen(world.m_screen), root(world.m_root), camera(world.m_camera),
          nScore(world.m_nScore), nLives(world.m_nLives), nShots(world.m_nShots),
          nOverlayTime(world.m_nOverlayTime), bMuzzleFlash(world.m_bMuzzleFlash),
          overlay(world.m_overlay), gun(world.m_gun), flash(world.m_flash),
          lifeIcon(world.m_lifeIcon) {}

    CScreen& screen;
    CSceneNode& root;
    CPose& camera; // moved by hand, it leaves the view matrix as it was
    int& nScore;
    int& nLives;
    int& nShots;
    int& nOverlayTime;
    bool& bMuzzleFlash;
    CSurface& overlay;
    CSurface& gun;
    CSurface& flash;
    CSurface& lifeIcon;
};
