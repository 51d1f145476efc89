// The game's command line: the platform's window options, the scripted-run
// options of the headless backend, and the free text in which the access
// word may stand.
#pragma once
#include "app/Settings.h"
#include "platform/Platform.h"
#include <cstdint>
#include <string>
#include <vector>

// One scripted key message: `message` (WM_KEYDOWN or WM_KEYUP) with key code
// `vk` reaches the frame window just before frame `frame` (from 1) runs.
struct KeyScriptEvent {
    int frame;
    uint32_t message;
    uint32_t vk;
};

class COptions {
public:
    // Parses argv[1..argc-1]. False with a one-line description of the first
    // problem in *error (an unknown option, a missing or malformed value, an
    // unreadable --keys @FILE, keys or answers without --headless, a --set
    // of no setting or of a value it does not take, or of a setting that
    // changes the game with --replay). --help
    // sets m_bHelp and stops parsing. Given twice, an option's last value
    // counts.
    bool Parse(int argc, const char* const* argv, std::string* error);
    // m_settings becomes `kept` (the settings file's) with every --set over
    // it, in the order given.
    void ApplySettings(const GameSettings& kept);
    // After Parse: false, with one line in *error, when --continue is given
    // with --level or --replay, which name the start themselves.
    bool CheckContinue(std::string* error) const;

    PlatConfig m_config;                // --headless, --frames, --dt, --scale, ...
    std::vector<KeyScriptEvent> m_keys; // --keys, in script order
    std::vector<int32_t> m_answers;     // --answers: IDOK / IDCANCEL
    std::string m_strScreenshot;        // --screenshot FILE, "" for none
    std::string m_strLevelsDir;         // --levels DIR, "" for the program folder
    int m_nLevel = 0;                   // --level N: 0 the first level, N QBnn.BMP
    bool m_bStats = false;              // --stats
    bool m_bSeed = false;               // --seed given
    uint32_t m_dwSeed = 0;
    bool m_bHelp = false;
    bool m_bNoConfirm = false; // --no-confirm
    std::string m_strRecord;   // --record FILE: the run is written there at its end
    std::string m_strReplay;   // --replay FILE
    // --set NAME=VALUE, each as given, checked by Parse: for this run only,
    // over the settings kept (ApplySettings).
    std::vector<std::string> m_sets;
    // What the game is played with: the defaults until ApplySettings.
    GameSettings m_settings;
    bool m_bContinue = false;     // --continue: a new game at the furthest level reached
    bool m_bKeepProgress = false; // --keep-progress: a headless run writes progress too
    bool m_bLevelGiven = false;   // --level was on the command line (even as 0)
    // Set before Parse: --keys @FILE is read only from under this folder
    // ("" for anywhere), for a device whose files are not all the player's.
    std::string m_strKeyScriptFolder;
    // The words that are neither options nor option values, joined by
    // single spaces: the text the game searches for the access word.
    std::string m_strCmdLine;
};

// Parses a key script: items FRAME:EVENT separated by commas (a file may also
// separate them by white space and hold '#' comments to the end of a line).
// EVENT is +KEY (down), -KEY (up) or KEY (down, then up); KEY is up, down,
// left, right, strafeleft, straferight, fire (Return), escape, pause, mute
// (M), continue (C), in any letter case,
// or a key code 1..255.
// FRAME is 1 or more. Appends to *events; false with the problem in *error,
// leaving *events as it was.
bool ParseKeyScript(const std::string& script, std::vector<KeyScriptEvent>* events,
                    std::string* error);

// Parses "ok,cancel,yes,no,..." (any letter case) into IDOK / IDCANCEL /
// IDYES / IDNO.
bool ParseAnswers(const std::string& list, std::vector<int32_t>* answers, std::string* error);

// The text `quibbo --help` prints.
std::string UsageText();
