// One whole run of the game as the command line asks for it: the platform is
// started (a headless one gets the scripted keys and answers with its
// configuration), the application runs to its end, and the screenshot and
// figures are written.
#pragma once
#include "app/Options.h"
#include "app/RunFile.h"
#include <string>

class CProgressStorage;
class CRunStats;

// Exit statuses of a run.
enum : int {
    EXIT_NORMAL = 0, // frames done, Cancel on the game-over box, window closed
    EXIT_STARTUP_FAILED = 1,
    EXIT_SCREENSHOT_FAILED = 1, // the run ended normally but --screenshot was not written
    EXIT_BAD_COMMAND_LINE = 2,
    EXIT_LEVEL_FAILED = 255, // after "Can't load level.", or a --level that cannot start
};

// Runs the game with `options` (already parsed) on the backend `make` gives
// and returns the exit status. With --continue it starts at the level the
// progress kept names (a new game when there is none). C on the title ends
// the game and starts a new one at that level, recorded afresh; a key
// script and a frame limit go on counting from where the first stopped.
// *stats (if given) receives the run's figures. With m_bStats the JSON line
// is also printed on standard output. Nothing of the run survives it: every
// run starts from a fresh level number, fresh lists and a fresh platform.
// Every run is recorded as it goes (LastRecordedRun); with `replay` the run
// is that one instead: its clock and inputs, on options PrepareReplay made.
int RunGame(const COptions& options, PlatBackendMaker make, CRunStats* stats = nullptr,
            const RunRecord* replay = nullptr);

// The record of the run going on, or of the last one that ended.
const RunRecord& LastRecordedRun();
// The run going on as a record that replays up to this moment.
RunRecord RecordedRunSoFar();

// Where the games that follow keep their progress (app/ProgressKeeper.h);
// null, as at the start, keeps none: no continue, no bests. The storage
// must outlive the games.
void UseProgressStorage(CProgressStorage* storage);

// Options that play `run` again: its seed, start level, words,
// confirmation and the settings that change the game (the others stay the
// options' own), and the folder of its levels, the first that holds them of
// --levels (when *options has one) or else the folders the game looks in;
// a level the run carries is written into `scratch`. In a window the tape
// paces the frames, so no frame rate is kept to. False, with one line
// naming what is missing in *why, when the levels are not at hand.
bool PrepareReplay(const RunRecord& run, const std::string& scratch, COptions* options,
                   std::string* why);
