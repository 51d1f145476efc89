#include "app/ProgressKeeper.h"
#include "app/MainFrame.h"
#include "app/Options.h"
#include "platform/Files.h"
#include "platform/LinkCode.h"
#include "world/World.h"
#include <algorithm>
#include <cstdio>
#include <ctime>

CProgressKeeper g_progress;

bool IsAssistedGame(const COptions& options) {
    return HasAccessWord(options.m_strCmdLine.c_str()) ||
           options.m_settings.turnSpeed > kDesignTurnSpeed;
}

void CProgressKeeper::Open(CProgressStorage* storage, const std::string& setName, bool bWrite,
                           bool bAssisted) {
    m_pStorage = storage;
    m_progress = Progress();
    m_strSet = setName;
    m_bWrite = bWrite;
    m_bAssisted = bAssisted;
    m_bDamaged = false;
    if (storage == nullptr)
        return;
    std::vector<uint8_t> bytes;
    bool missing = false;
    std::string why;
    if (storage->Read(&bytes, &missing, &why) &&
        ProgressFromJson(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
            &m_progress, &why))
        return;
    if (missing)
        return;
    // The game goes on as if nothing were kept; the bytes stay until the
    // next write sets them aside.
    m_bDamaged = true;
    std::fprintf(stderr, "quibbo: %s is damaged or unreadable (%s); playing without it\n",
                 PlatPrintablePath(storage->Where()).c_str(), PlatPrintablePath(why).c_str());
}

int CProgressKeeper::ContinueLevel() const {
    const SetProgress* set = FindSet(m_progress, m_strSet);
    if (set == nullptr || set->won)
        return 0;
    return std::max(LevelNumberOfFile(set->furthest), 0);
}

int32_t CProgressKeeper::BestTimeMs(const std::string& file, uint32_t crc) const {
    const SetProgress* set = FindSet(m_progress, m_strSet);
    const LevelBest* best = set ? FindBest(*set, file, crc, m_bAssisted) : nullptr;
    return best ? best->timeMs : -1;
}

void CProgressKeeper::LevelWon(const std::string& file, uint32_t crc, int32_t timeMs, int32_t score,
                               const std::string& next, const RunRecord& run) {
    if (m_pStorage == nullptr)
        return;
    SetProgress& set = SetNamed(&m_progress, m_strSet);
    LevelBest* best = nullptr;
    if (RecordLevelWin(&set, file, crc, m_bAssisted, timeMs, score, &best) && m_bWrite) {
        best->run = m_pStorage->RunCode(run);
        if (best->run.size() > kMaxProgressRun)
            best->run.clear();
    }
    if (next.empty())
        set.won = true;
    else
        RecordReached(&set, next);
    Save();
}

int CProgressKeeper::GameOver(int32_t score, int32_t levels, const std::string& date) {
    if (m_pStorage == nullptr)
        return 0;
    const int place =
        RecordGame(&SetNamed(&m_progress, m_strSet), GameResult{score, levels, date, m_bAssisted});
    Save();
    return place;
}

void CProgressKeeper::Save() {
    if (!m_bWrite)
        return;
    std::string why;
    if (m_bDamaged) {
        std::string where;
        if (!m_pStorage->KeepAside(&where, &why)) {
            // Never written over: the damaged bytes may be all the player has.
            std::fprintf(stderr, "quibbo: progress not kept: %s cannot be set aside (%s)\n",
                         PlatPrintablePath(m_pStorage->Where()).c_str(),
                         PlatPrintablePath(why).c_str());
            return;
        }
        std::fprintf(stderr, "quibbo: the damaged %s is kept as %s\n",
                     PlatPrintablePath(m_pStorage->Where()).c_str(),
                     PlatPrintablePath(where).c_str());
        m_bDamaged = false;
    }
    const std::string text = ProgressToJson(m_progress);
    if (!m_pStorage->Write(std::vector<uint8_t>(text.begin(), text.end()), &why))
        std::fprintf(stderr, "quibbo: progress not kept in %s: %s\n",
                     PlatPrintablePath(m_pStorage->Where()).c_str(),
                     PlatPrintablePath(why).c_str());
}

bool LevelOfSet(const RunLevels& levels, int level, std::string* file, uint32_t* crc) {
    if (!levels.levelBody.empty()) {
        *file = "QB00.BMP";
        *crc = Crc32(levels.levelBody.data(), levels.levelBody.size());
        return level == 0;
    }
    if (level == 0 && levels.builtinFirst) {
        *file = "built-in";
        *crc = levels.builtinCrc;
        return true;
    }
    for (const RunLevelFile& entry : levels.files) {
        if (entry.number == level) {
            *file = LevelFileName("", level);
            *crc = entry.crc;
            return true;
        }
    }
    return false;
}

std::string TodayUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm day{};
#ifdef _WIN32
    gmtime_s(&day, &now);
#else
    gmtime_r(&now, &day);
#endif
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &day);
    return text;
}
