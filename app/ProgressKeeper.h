// The game's side of what it remembers (app/Progress.h): read once as a
// game starts, offered on the title and the cards, written when a level is
// won or a game ends. Where the bytes live is a CProgressStorage's: files
// on a computer (app/ProgressFiles.h), the page's own storage later.
#pragma once
#include "app/Progress.h"
#include "app/RunFile.h"
#include <cstdint>
#include <string>
#include <vector>

class CProgressStorage {
public:
    virtual ~CProgressStorage() = default;
    // The bytes kept, at most kMaxProgressBytes. False when there are none:
    // *missing when nothing was ever kept, else a one-line reason in *why.
    virtual bool Read(std::vector<uint8_t>* bytes, bool* missing, std::string* why) = 0;
    // Keeps `bytes` whole or not at all; false with a one-line reason.
    virtual bool Write(const std::vector<uint8_t>& bytes, std::string* why) = 0;
    // Moves the bytes kept aside under a name of their own, never over
    // anything: true with that name in *where.
    virtual bool KeepAside(std::string* where, std::string* why) = 0;
    // The code a run is kept as (MakeRunCode), "" when it cannot be kept.
    virtual std::string RunCode(const RunRecord& run) = 0;
    // Where the bytes are, for messages.
    virtual std::string Where() const = 0;
};

class COptions;

// Whether the results of a game started with `options` go apart from the
// plain ones: with the access word among its words, or a turn faster than
// the game's own (turn_speed above kDesignTurnSpeed).
bool IsAssistedGame(const COptions& options);

class CProgressKeeper {
public:
    // Reads what `storage` keeps (null: nothing is read, nothing offered or
    // written, as in a replay) for the set `setName`. A damaged or
    // unreadable store is said in one line on standard error and counts as
    // empty; the next write keeps it aside first. Writes only with bWrite.
    void Open(CProgressStorage* storage, const std::string& setName, bool bWrite, bool bAssisted);
    void Close() { Open(nullptr, "", false, false); }
    bool IsOpen() const { return m_pStorage != nullptr; }
    bool IsAssisted() const { return m_bAssisted; }

    // The level --continue starts at: the furthest reached, 0 when nothing
    // is remembered or the whole set was won.
    int ContinueLevel() const;
    // The best time of the level with these bytes (of the game's kind), -1
    // when there is none.
    int32_t BestTimeMs(const std::string& file, uint32_t crc) const;
    // A level won: its bests, the furthest level (`next`, the file of the
    // level that follows, "" when it was the last) and, for a new best
    // time, `run` (the run so far) kept with it; then written.
    void LevelWon(const std::string& file, uint32_t crc, int32_t timeMs, int32_t score,
                  const std::string& next, const RunRecord& run);
    // A game over: its place among the best (0 when not among them); then
    // written.
    int GameOver(int32_t score, int32_t levels, const std::string& date);

    const Progress& GetProgress() const { return m_progress; }

private:
    void Save();

    CProgressStorage* m_pStorage = nullptr;
    Progress m_progress;
    std::string m_strSet;
    bool m_bWrite = false;
    bool m_bAssisted = false;
    bool m_bDamaged = false;
};

// The game's one keeper, opened by RunGame.
extern CProgressKeeper g_progress;

// The file name and CRC of level `level` in the set `levels` ("built-in"
// for a built-in first level); false when the set has no such level.
bool LevelOfSet(const RunLevels& levels, int level, std::string* file, uint32_t* crc);
// Today's date as GameResult keeps it.
std::string TodayUtc();
