// What a run did, for `--stats`: the figures of the game as it ended, how
// often each event code came up, and every message box with its answer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CWorld;

class CRunStats {
public:
    struct Box {
        std::string text;
        int32_t answer; // IDOK or IDCANCEL
    };

    // Empties everything, for a new run.
    void Reset();
    // Copies the world's figures (and the level number); called while a
    // world exists, last just before it is destroyed.
    void Capture(const CWorld& world, int level);

    // One line of JSON, without a line end.
    std::string ToJson() const;

    int m_nFrames = 0; // frames the world ran
    // Wall-clock seconds the world spent in those frames, measured around
    // each one inside the program.
    double m_dFrameSeconds = 0.0;
    // Frames a second over the frames run (m_nFrames / m_dFrameSeconds), 0
    // before any frame took measurable time.
    double Fps() const;
    int m_nLevel = 0;
    int m_nScore = 0;
    int m_nLives = 0;
    int m_nShots = 0;
    int m_nDotsLeft = 0;
    int m_nEnemies = 0; // enemy nodes in the maze
    double m_x = 0.0;
    double m_z = 0.0;
    double m_heading = 0.0;
    int m_events[6] = {}; // frames that returned each event code
    std::vector<Box> m_boxes;
    int m_nExitCode = 0;
};

// The current run's figures.
extern CRunStats g_runStats;

// Quotes text for JSON: the quotes, backslashes and control characters escaped.
std::string JsonQuote(const std::string& text);
