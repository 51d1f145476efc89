// What the game remembers between games, for each level set: how far the
// player got, each level's best time and score (and the run that made the
// best time), and the ten best games. Plain records and their text
// (progress.json); where the text is kept is app/ProgressKeeper.h's.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The text is input from disk: everything read is bounded. A larger file is
// refused before it is read; more sets, levels or games than these, or a
// longer string, make the whole file count as damaged.
const size_t kMaxProgressBytes = 16u << 20;
const size_t kMaxProgressSets = 32;
const size_t kMaxProgressLevels = 200;  // a set's records, plain and assisted
const size_t kMaxBestGames = 10;        // of each kind, plain and assisted
const size_t kMaxProgressWords = 4096;  // a set's name (a folder's path), a file name, a date
const size_t kMaxProgressRun = 2000000; // a run's code (kMaxLinkCodeChars)

// A level's bests, valid only for the level whose bytes have `crc`.
struct LevelBest {
    std::string file; // "QB03.BMP", or "built-in"
    uint32_t crc = 0;
    bool assisted = false;
    int32_t timeMs = 0; // milliseconds of play, the game's clock
    int32_t score = 0;  // points scored in the level
    std::string run;    // the code of the run that made timeMs, "" when not kept
};

struct GameResult {
    int32_t score = 0;
    int32_t levels = 0; // levels won in the game
    std::string date;   // "YYYY-MM-DD", UTC
    bool assisted = false;
};

struct SetProgress {
    std::string name;     // "campaign", or a --levels folder's absolute path
    std::string furthest; // the file name of the furthest level reached, "" none
    bool won = false;     // the last level of the set was won
    std::vector<LevelBest> levels;
    std::vector<GameResult> games; // best first
};

struct Progress {
    std::vector<SetProgress> sets;
};

// The JSON text of `progress`; ProgressFromJson reads it back whole.
std::string ProgressToJson(const Progress& progress);
// Reads what ProgressToJson writes (any order of keys, unknown keys skipped,
// white space anywhere JSON allows it). False, with *progress emptied and
// one line in *why, for anything else or anything beyond the bounds above.
bool ProgressFromJson(std::string_view text, Progress* progress, std::string* why);

// The set named `name`, added when missing (the oldest added set gives way
// when there are kMaxProgressSets).
SetProgress& SetNamed(Progress* progress, const std::string& name);
const SetProgress* FindSet(const Progress& progress, const std::string& name);

// The level number a file name stands for ("QB07.BMP": 7, "built-in": 0),
// -1 for anything else.
int LevelNumberOfFile(const std::string& file);

// The best of `file` with that CRC and kind, or null (a best of other bytes
// does not count).
const LevelBest* FindBest(const SetProgress& set, const std::string& file, uint32_t crc,
                          bool assisted);

// A level won in `timeMs` with `score`: the bests of its kind are raised
// (a best of other bytes is replaced). True when the time is a new best;
// the caller then keeps the run in the record's `run`, which this clears.
bool RecordLevelWin(SetProgress* set, const std::string& file, uint32_t crc, bool assisted,
                    int32_t timeMs, int32_t score, LevelBest** best);
// The level `file` was reached: it becomes the furthest when beyond it.
void RecordReached(SetProgress* set, const std::string& file);
// A game ended: its place among the best games of its kind (1 to
// kMaxBestGames), or 0 when it is not among them. A tie goes below the
// games already there.
int RecordGame(SetProgress* set, const GameResult& game);
