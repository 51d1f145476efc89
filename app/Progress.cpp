#include "app/Progress.h"
#include "platform/Numbers.h"
#include <algorithm>
#include <cstdio>

namespace {

// ---- Writing ----

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

const char* Bool(bool value) {
    return value ? "true" : "false";
}

// ---- Reading: a small JSON tree, bounded as it is read ----

struct Value {
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
    bool boolean = false;
    int64_t number = 0; // only whole numbers are read
    std::string text;
    std::vector<std::pair<std::string, Value>> members; // an object's
    std::vector<Value> items;                           // an array's

    const Value* Member(const char* key) const {
        for (const auto& member : members)
            if (member.first == key)
                return &member.second;
        return nullptr;
    }
};

const int kMaxDepth = 8;
// No array holds more than the largest of the counts above, and the whole
// file no more values than its largest records hold (a level's record is
// seven), whatever its size: a tree of tiny values must not cost gigabytes.
const size_t kMaxItems = kMaxProgressLevels;
const size_t kMaxValues = kMaxProgressSets * (kMaxProgressLevels + 2 * kMaxBestGames + 2) * 8;
const int64_t kMaxWhole = 999999999999999; // 15 digits

class CReader {
public:
    explicit CReader(std::string_view text) : m_text(text) {}

    bool Document(Value* value) {
        if (!Parse(value, 0))
            return false;
        Blanks();
        return m_at == m_text.size() || Fail("bytes after the end");
    }
    std::string m_strWhy;

private:
    bool Fail(const std::string& why) {
        if (m_strWhy.empty())
            m_strWhy = why + " at byte " + std::to_string(m_at);
        return false;
    }
    void Blanks() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\n' ||
                                        m_text[m_at] == '\r' || m_text[m_at] == '\t'))
            ++m_at;
    }
    bool Take(char c) {
        Blanks();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool Word(std::string_view word) {
        if (m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }

    bool Parse(Value* value, int depth) {
        if (depth > kMaxDepth)
            return Fail("nested too deep");
        if (++m_nValues > kMaxValues)
            return Fail("too many values");
        Blanks();
        if (m_at >= m_text.size())
            return Fail("cut short");
        const char c = m_text[m_at];
        if (c == '{')
            return Object(value, depth);
        if (c == '[')
            return Array(value, depth);
        if (c == '"') {
            value->kind = Value::kString;
            return String(&value->text, kMaxProgressRun);
        }
        if (Word("true") || Word("false")) {
            value->kind = Value::kBool;
            value->boolean = c == 't';
            return true;
        }
        if (Word("null"))
            return true;
        return Number(value);
    }

    bool Number(Value* value) {
        const size_t start = m_at;
        if (m_at < m_text.size() && m_text[m_at] == '-')
            ++m_at;
        // Enough digits for any field; a longer number is refused by what
        // follows it.
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9' &&
               m_at - start < 16)
            ++m_at;
        value->kind = Value::kNumber;
        if (!ParseInteger(m_text.substr(start, m_at - start), -kMaxWhole, kMaxWhole,
                          &value->number))
            return Fail("not a whole number");
        return true;
    }

    bool String(std::string* out, size_t limit) {
        ++m_at; // the opening quote
        for (;;) {
            if (m_at >= m_text.size())
                return Fail("a string cut short");
            const char c = m_text[m_at++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return Fail("a control character in a string");
            if (out->size() >= limit)
                return Fail("a string too long");
            if (c != '\\') {
                *out += c;
                continue;
            }
            if (m_at >= m_text.size())
                return Fail("a string cut short");
            const char e = m_text[m_at++];
            const char* plain = "\"\\/";
            if (std::string_view(plain).find(e) != std::string_view::npos)
                *out += e;
            else if (e == 'n')
                *out += '\n';
            else if (e == 't')
                *out += '\t';
            else if (e == 'r')
                *out += '\r';
            else if (e == 'u') {
                // Only what the writer escapes: control characters.
                const std::string_view hex = m_text.substr(m_at, 4);
                if (hex.size() != 4 || hex.substr(0, 2) != "00")
                    return Fail("an escape this file never holds");
                int digits = 0;
                for (const char h : hex.substr(2)) {
                    const int d = h >= '0' && h <= '9'   ? h - '0'
                                  : h >= 'a' && h <= 'f' ? h - 'a' + 10
                                  : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                         : -1;
                    if (d < 0)
                        return Fail("a bad escape");
                    digits = digits * 16 + d;
                }
                m_at += 4;
                *out += static_cast<char>(digits);
            } else {
                return Fail("a bad escape");
            }
        }
    }

    bool Object(Value* value, int depth) {
        ++m_at;
        value->kind = Value::kObject;
        if (Take('}'))
            return true;
        do {
            Blanks();
            if (m_at >= m_text.size() || m_text[m_at] != '"')
                return Fail("a key expected");
            std::string key;
            if (!String(&key, kMaxProgressWords))
                return false;
            if (!Take(':'))
                return Fail("':' expected");
            if (value->members.size() >= kMaxItems)
                return Fail("too many keys");
            value->members.emplace_back(std::move(key), Value());
            if (!Parse(&value->members.back().second, depth + 1))
                return false;
        } while (Take(','));
        return Take('}') || Fail("'}' expected");
    }

    bool Array(Value* value, int depth) {
        ++m_at;
        value->kind = Value::kArray;
        if (Take(']'))
            return true;
        do {
            if (value->items.size() >= kMaxItems)
                return Fail("too many items");
            value->items.emplace_back();
            if (!Parse(&value->items.back(), depth + 1))
                return false;
        } while (Take(','));
        return Take(']') || Fail("']' expected");
    }

    std::string_view m_text;
    size_t m_at = 0;
    size_t m_nValues = 0;
};

// Each field read from a value, checked for its kind and range; the first
// problem is kept.
struct CFields {
    const Value& object;
    std::string* why;

    bool Fail(const std::string& what) {
        if (why->empty())
            *why = what;
        return false;
    }
    bool Text(const char* key, std::string* out, size_t limit, bool required = true) {
        const Value* v = object.Member(key);
        if (v == nullptr)
            return !required || Fail(std::string("\"") + key + "\" missing");
        if (v->kind != Value::kString || v->text.size() > limit)
            return Fail(std::string("\"") + key + "\" is not a fitting string");
        *out = v->text;
        return true;
    }
    bool Flag(const char* key, bool* out) {
        const Value* v = object.Member(key);
        if (v == nullptr)
            return true;
        if (v->kind != Value::kBool)
            return Fail(std::string("\"") + key + "\" is not true or false");
        *out = v->boolean;
        return true;
    }
    template <typename T> bool Whole(const char* key, T* out, int64_t min, int64_t max) {
        const Value* v = object.Member(key);
        if (v == nullptr || v->kind != Value::kNumber || v->number < min || v->number > max)
            return Fail(std::string("\"") + key + "\" is missing or out of range");
        *out = static_cast<T>(v->number);
        return true;
    }
    const Value* List(const char* key, size_t limit) {
        const Value* v = object.Member(key);
        if (v == nullptr || v->kind != Value::kArray || v->items.size() > limit) {
            Fail(std::string("\"") + key + "\" is not a fitting list");
            return nullptr;
        }
        for (const Value& item : v->items)
            if (item.kind != Value::kObject) {
                Fail(std::string("\"") + key + "\" holds something else than records");
                return nullptr;
            }
        return v;
    }
};

bool ReadLevel(const Value& value, LevelBest* level, std::string* why) {
    CFields f{value, why};
    return f.Text("file", &level->file, kMaxProgressWords) &&
           f.Whole("crc", &level->crc, 0, UINT32_MAX) && f.Flag("assisted", &level->assisted) &&
           f.Whole("time_ms", &level->timeMs, 0, INT32_MAX) &&
           f.Whole("score", &level->score, 0, INT32_MAX) &&
           f.Text("run", &level->run, kMaxProgressRun, false);
}

bool ReadGame(const Value& value, GameResult* game, std::string* why) {
    CFields f{value, why};
    return f.Whole("score", &game->score, 0, INT32_MAX) &&
           f.Whole("levels", &game->levels, 0, INT32_MAX) &&
           f.Text("date", &game->date, kMaxProgressWords) && f.Flag("assisted", &game->assisted);
}

bool ReadSet(const Value& value, SetProgress* set, std::string* why) {
    CFields f{value, why};
    if (!f.Text("set", &set->name, kMaxProgressWords) ||
        !f.Text("furthest", &set->furthest, kMaxProgressWords, false) || !f.Flag("won", &set->won))
        return false;
    const Value* levels = f.List("levels", kMaxProgressLevels);
    const Value* games = f.List("games", 2 * kMaxBestGames);
    if (levels == nullptr || games == nullptr)
        return false;
    for (const Value& item : levels->items) {
        set->levels.emplace_back();
        if (!ReadLevel(item, &set->levels.back(), why))
            return false;
    }
    for (const Value& item : games->items) {
        set->games.emplace_back();
        if (!ReadGame(item, &set->games.back(), why))
            return false;
    }
    return true;
}

} // namespace

std::string ProgressToJson(const Progress& progress) {
    std::string out = "{\"version\": 1, \"sets\": [";
    for (size_t s = 0; s < progress.sets.size(); ++s) {
        const SetProgress& set = progress.sets[s];
        out += s ? ",\n" : "\n";
        out += " {\"set\": " + Quoted(set.name) + ", \"furthest\": " + Quoted(set.furthest) +
               ", \"won\": " + Bool(set.won) + ",\n  \"levels\": [";
        for (size_t i = 0; i < set.levels.size(); ++i) {
            const LevelBest& level = set.levels[i];
            out += i ? ",\n   " : "\n   ";
            out += "{\"file\": " + Quoted(level.file) + ", \"crc\": " + std::to_string(level.crc) +
                   ", \"assisted\": " + Bool(level.assisted) +
                   ", \"time_ms\": " + std::to_string(level.timeMs) +
                   ", \"score\": " + std::to_string(level.score) +
                   ", \"run\": " + Quoted(level.run) + "}";
        }
        out += "],\n  \"games\": [";
        for (size_t i = 0; i < set.games.size(); ++i) {
            const GameResult& game = set.games[i];
            out += i ? ",\n   " : "\n   ";
            out += "{\"score\": " + std::to_string(game.score) +
                   ", \"levels\": " + std::to_string(game.levels) +
                   ", \"date\": " + Quoted(game.date) + ", \"assisted\": " + Bool(game.assisted) +
                   "}";
        }
        out += "]}";
    }
    return out + "\n]}\n";
}

bool ProgressFromJson(std::string_view text, Progress* progress, std::string* why) {
    *progress = Progress();
    why->clear();
    if (text.size() > kMaxProgressBytes) {
        *why = "larger than " + std::to_string(kMaxProgressBytes) + " bytes";
        return false;
    }
    CReader reader(text);
    Value root;
    if (!reader.Document(&root)) {
        *why = reader.m_strWhy;
        return false;
    }
    if (root.kind != Value::kObject) {
        *why = "not a JSON object";
        return false;
    }
    CFields f{root, why};
    int version = 0;
    if (!f.Whole("version", &version, 1, 1))
        return false;
    const Value* sets = f.List("sets", kMaxProgressSets);
    if (sets == nullptr)
        return false;
    for (const Value& item : sets->items) {
        progress->sets.emplace_back();
        if (!ReadSet(item, &progress->sets.back(), why)) {
            *progress = Progress();
            return false;
        }
    }
    return true;
}

SetProgress& SetNamed(Progress* progress, const std::string& name) {
    for (SetProgress& set : progress->sets)
        if (set.name == name)
            return set;
    if (progress->sets.size() >= kMaxProgressSets)
        progress->sets.erase(progress->sets.begin());
    progress->sets.emplace_back();
    progress->sets.back().name = name.substr(0, kMaxProgressWords);
    return progress->sets.back();
}

const SetProgress* FindSet(const Progress& progress, const std::string& name) {
    for (const SetProgress& set : progress.sets)
        if (set.name == name)
            return &set;
    return nullptr;
}

int LevelNumberOfFile(const std::string& file) {
    if (file == "built-in")
        return 0;
    int64_t number = 0;
    if (file.size() < 7 || file.compare(0, 2, "QB") != 0 ||
        file.compare(file.size() - 4, 4, ".BMP") != 0 ||
        !ParseInteger(std::string_view(file).substr(2, file.size() - 6), 0, 9999, &number))
        return -1;
    return static_cast<int>(number);
}

const LevelBest* FindBest(const SetProgress& set, const std::string& file, uint32_t crc,
                          bool assisted) {
    for (const LevelBest& level : set.levels)
        if (level.file == file && level.crc == crc && level.assisted == assisted)
            return &level;
    return nullptr;
}

bool RecordLevelWin(SetProgress* set, const std::string& file, uint32_t crc, bool assisted,
                    int32_t timeMs, int32_t score, LevelBest** best) {
    auto same = std::find_if(set->levels.begin(), set->levels.end(), [&](const LevelBest& level) {
        return level.file == file && level.assisted == assisted;
    });
    bool newTime = true;
    if (same != set->levels.end() && same->crc == crc) {
        newTime = timeMs < same->timeMs;
        if (newTime) {
            same->timeMs = timeMs;
            same->run.clear();
        }
        same->score = std::max(same->score, score);
    } else {
        if (same == set->levels.end()) {
            if (set->levels.size() >= kMaxProgressLevels)
                set->levels.erase(set->levels.begin());
            set->levels.emplace_back();
            same = set->levels.end() - 1;
        }
        // The level's bytes changed: what it held was another level's.
        *same = LevelBest{file, crc, assisted, timeMs, score, ""};
    }
    if (best != nullptr)
        *best = &*same;
    return newTime;
}

void RecordReached(SetProgress* set, const std::string& file) {
    if (LevelNumberOfFile(file) > LevelNumberOfFile(set->furthest))
        set->furthest = file;
}

int RecordGame(SetProgress* set, const GameResult& game) {
    // The games of each kind rank among themselves.
    int place = 1;
    auto at = set->games.begin();
    for (; at != set->games.end(); ++at) {
        if (at->assisted != game.assisted)
            continue;
        if (at->score < game.score)
            break;
        ++place;
    }
    if (place > static_cast<int>(kMaxBestGames))
        return 0;
    set->games.insert(at, game);
    // One too many of its kind: the last of them goes.
    int kept = 0;
    for (auto it = set->games.begin(); it != set->games.end();) {
        if (it->assisted == game.assisted && ++kept > static_cast<int>(kMaxBestGames))
            it = set->games.erase(it);
        else
            ++it;
    }
    return place;
}
