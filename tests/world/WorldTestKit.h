// Shared by the world and application tests: scratch folders, level files
// written from text maps, and a world on a headless frame window.
#pragma once
#include "testkit/WorldProbe.h"
#include "world/World.h"
#include <gtest/gtest.h>
#include <memory>
#include <string>

class CFrameWnd;

// A level whose only dot lies one row above the start: 32 frames of 16 ms
// walking up eat it.
extern const char* const kOneDotLevel;

// A new, empty folder for this test, ending with '/'.
std::string ScratchFolder();
// Writes `text` (a text map) as the level bitmap file folder + name and
// returns its path; fails the test when the map does not parse.
std::string WriteLevelFile(const std::string& folder, const std::string& name,
                           const std::string& text);
// Writes raw bytes to folder + name and returns the path.
std::string WriteBytes(const std::string& folder, const std::string& name, size_t count,
                       unsigned char fill);

// A headless platform, the program's picture lists and a world built with
// them on a frame window of 240 x 320 pixels.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the world (destroying an earlier one).
    void MakeWorld(bool bInvulnerable);
    // Starts a new game on the level given as a text map; the level keeps
    // the sky and floor of the maze in place. Returns the build's result.
    bool StartLevel(const std::string& text);
    CMaze* Maze() const { return m_pWorld->GetMaze(); }
    // The world's state, writable.
    WorldProbe Probe() const { return WorldProbe(*m_pWorld); }
    // Runs `count` frames of `dt` ms and returns the last frame's event.
    int Frames(int count, int dt);

    std::string m_strFolder;
    std::string m_strLevel;
    CFrameWnd* m_pFrame = nullptr;
    std::unique_ptr<CWorld> m_pWorld;
};
