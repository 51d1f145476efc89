#include "app/RunFile.h"
#include "platform/LinkCode.h"
#include "platform/PlatformTypes.h"
#include "platform/WholeFile.h"
#include "scene/LevelBitmap.h"
#include "scene/LevelCode.h"
#include <cstring>

namespace {

const size_t kCrcBytes = 4;
const uint8_t kNoConfirmFlag = 1, kBuiltinFirstFlag = 2, kSettingsFollowFlag = 4;
// The key messages an input may carry, by their code in the body.
const uint32_t kKeyMessages[] = {WM_KEYDOWN, WM_KEYUP, WM_CHAR};
// The fewest bytes of one entry of each list: what a count is checked
// against before anything is read for it.
const size_t kFileMinBytes = 1 + 1 + 4, kInputMinBytes = 3;

class Writer {
public:
    explicit Writer(std::vector<uint8_t>* out) : m_out(*out) {}
    void U8(uint8_t v) { m_out.push_back(v); }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            m_out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void V(uint32_t v) {
        while (v >= 0x80) {
            m_out.push_back(static_cast<uint8_t>(v | 0x80));
            v >>= 7;
        }
        m_out.push_back(static_cast<uint8_t>(v));
    }
    void Bytes(const void* data, size_t size) {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        m_out.insert(m_out.end(), p, p + size);
    }

private:
    std::vector<uint8_t>& m_out;
};

// Reads the fields in front of the check sum. Every read says whether it
// could be made; the first failure leaves its reason in why().
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_p(data), m_left(size) {}
    size_t Left() const { return m_left; }
    const std::string& Why() const { return m_why; }
    bool Fail(const std::string& why) {
        m_why = why;
        return false;
    }
    bool U8(uint8_t* v, const char* what) {
        if (m_left < 1)
            return Short(what);
        *v = *m_p++;
        --m_left;
        return true;
    }
    bool U32(uint32_t* v, const char* what) {
        if (m_left < 4)
            return Short(what);
        *v = uint32_t(m_p[0]) | uint32_t(m_p[1]) << 8 | uint32_t(m_p[2]) << 16 |
             uint32_t(m_p[3]) << 24;
        m_p += 4;
        m_left -= 4;
        return true;
    }
    bool V(uint32_t* v, const char* what) {
        uint32_t value = 0;
        for (int i = 0; i < 5; ++i) {
            if (m_left < 1)
                return Short(what);
            const uint8_t byte = *m_p++;
            --m_left;
            if (i == 4 && byte > 0x0F)
                return Fail(std::string("a number in the ") + what + " is larger than 32 bits");
            value |= uint32_t(byte & 0x7F) << (7 * i);
            if (!(byte & 0x80)) {
                if (byte == 0 && i > 0)
                    return Fail(std::string("a number in the ") + what +
                                " is written longer than it needs");
                *v = value;
                return true;
            }
        }
        return Fail(std::string("a number in the ") + what + " is larger than 32 bits");
    }
    // A count of entries of at least `each` bytes, no more than `limit`.
    bool Count(uint32_t* n, size_t limit, size_t each, const char* what) {
        if (!V(n, what))
            return false;
        if (*n > limit)
            return Fail(std::to_string(*n) + " " + what + "; at most " + std::to_string(limit));
        if (*n > m_left / each)
            return Fail(std::to_string(*n) + " " + what + " cannot fit in the " +
                        std::to_string(m_left) + " bytes left");
        return true;
    }
    bool Bytes(size_t n, const uint8_t** at) {
        *at = m_p;
        m_p += n;
        m_left -= n;
        return true;
    }

private:
    bool Short(const char* what) { return Fail(std::string("it ends inside the ") + what); }
    const uint8_t* m_p;
    size_t m_left;
    std::string m_why;
};

uint32_t Zigzag(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    return (u << 1) ^ (0u - (u >> 31));
}

int32_t Unzigzag(uint32_t z) {
    const uint32_t u = (z >> 1) ^ (0u - (z & 1));
    int32_t v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}

int KeyMessageCode(uint32_t message) {
    for (int i = 0; i < 3; ++i) {
        if (kKeyMessages[i] == message)
            return i;
    }
    return -1;
}

std::string InputProblem(const RunInput& in) {
    const bool noKeyFields = in.wParam == 0 && in.lParam == 0;
    switch (in.kind) {
    case RunInput::kKey:
        if (KeyMessageCode(in.message) < 0)
            return "a key input has message " + std::to_string(in.message);
        if (in.wParam < 1 || in.wParam > 255)
            return "a key input has key code " + std::to_string(in.wParam) + " (1 to 255)";
        return "";
    case RunInput::kFocus:
        if (in.message > 1 || !noKeyFields)
            return "a focus input is neither 'has' nor 'lost'";
        return "";
    case RunInput::kAnswer:
        if ((in.message != IDOK && in.message != IDCANCEL && in.message != IDYES &&
             in.message != IDNO) ||
            !noKeyFields)
            return "a box's answer is " + std::to_string(in.message);
        return "";
    case RunInput::kClose:
        if (in.message != 0 || !noKeyFields)
            return "a close input carries fields";
        return "";
    default:
        return "an input is of kind " + std::to_string(in.kind);
    }
}

std::string LevelsProblem(const RunLevels& levels) {
    if (!levels.levelBody.empty()) {
        if (!levels.files.empty() || levels.builtinFirst || levels.builtinCrc != 0)
            return "a carried level comes with other levels";
        LevelGrid grid;
        std::string why;
        if (!ReadLevelCodeBody(levels.levelBody.data(), levels.levelBody.size(), &grid, &why))
            return "its level: " + why;
        return "";
    }
    if (levels.files.size() > kMaxRunLevelFiles)
        return std::to_string(levels.files.size()) + " level files";
    int previous = -1;
    for (const RunLevelFile& file : levels.files) {
        if (file.number <= previous || file.number >= kMaxRunLevelFiles)
            return "level file " + std::to_string(file.number) + " is out of order";
        if (file.size < 1 || file.size > kMaxLevelFileBytes)
            return "level file " + std::to_string(file.number) + " has " +
                   std::to_string(file.size) + " bytes";
        previous = file.number;
    }
    const bool hasFirst = !levels.files.empty() && levels.files[0].number == 0;
    if (levels.builtinFirst == hasFirst)
        return hasFirst ? "the built-in level is played before QB00.BMP"
                        : "neither QB00.BMP nor the built-in level comes first";
    if (!levels.builtinFirst && levels.builtinCrc != 0)
        return "a built-in level's check sum without the built-in level";
    return "";
}

std::string StartLevelProblem(int64_t level) {
    if (level >= 0 && level <= kMaxRunStartLevel)
        return "";
    return "the start level " + std::to_string(level) + " is not 0 to " +
           std::to_string(kMaxRunStartLevel);
}

std::string TurnSpeedProblem(int64_t speed) {
    if (speed >= kDesignTurnSpeed && speed <= kMaxTurnSpeed)
        return "";
    return "the turn speed " + std::to_string(speed) + " is not " +
           std::to_string(kDesignTurnSpeed) + " to " + std::to_string(kMaxTurnSpeed);
}

// Why a record cannot be a body, or "".
std::string RecordProblem(const RunRecord& run) {
    if (!StartLevelProblem(run.startLevel).empty())
        return StartLevelProblem(run.startLevel);
    if (!TurnSpeedProblem(run.turnSpeed).empty())
        return TurnSpeedProblem(run.turnSpeed);
    if (run.words.size() > kMaxRunWordsBytes)
        return "the words are " + std::to_string(run.words.size()) + " bytes; at most " +
               std::to_string(kMaxRunWordsBytes);
    if (run.words.find('\0') != std::string::npos)
        return "the words hold a zero byte";
    std::string why = LevelsProblem(run.levels);
    if (!why.empty())
        return why;
    const RunTape& tape = run.tape;
    if (tape.clock.size() > kMaxRunClockLooks)
        return std::to_string(tape.clock.size()) + " clock looks; at most " +
               std::to_string(kMaxRunClockLooks);
    uint32_t pass = 0, taken = 0;
    for (const RunInput& in : tape.inputs) {
        why = InputProblem(in);
        if (!why.empty())
            return why;
        if (in.pass < pass || in.taken < taken)
            return "the inputs' stamps go down";
        if (in.pass > tape.passes)
            return "an input comes at pass " + std::to_string(in.pass) + " of " +
                   std::to_string(tape.passes);
        pass = in.pass;
        taken = in.taken;
    }
    // A pass either runs a frame, which looks at the clock, or waits for
    // input, and a replay lets waiting passes go by up to the next input's
    // stamp: after the last input every pass but the last must have looked.
    // A run of more passes would replay on a clock it does not hold.
    const uint64_t explained =
        uint64_t(pass) + tape.clock.size() + tape.inputs.size() + kRunPassesSpare;
    if (tape.passes > explained || tape.passes > uint32_t(kMaxRunPasses))
        return std::to_string(tape.passes) +
               " passes, more than its clock and inputs account for (" +
               std::to_string(std::min<uint64_t>(explained, kMaxRunPasses)) + ")";
    return "";
}

// A look of a window's frame is 16 or 17 (ms) give or take a little: one
// byte each, which the deflate of a file or link packs by the pattern of
// those bytes, tighter than runs of equal looks would pack (a window's
// looks seldom repeat for long).
const uint8_t kLongLook = 255;

void WriteClock(Writer& out, const std::vector<uint32_t>& clock) {
    out.V(static_cast<uint32_t>(clock.size()));
    for (const uint32_t look : clock) {
        if (look < kLongLook) {
            out.U8(static_cast<uint8_t>(look));
        } else {
            out.U8(kLongLook);
            out.U32(look);
        }
    }
}

void WriteInput(Writer& out, const RunInput& in, const RunInput& before) {
    out.V(in.pass - before.pass);
    out.V(in.taken - before.taken);
    out.U8(in.kind);
    switch (in.kind) {
    case RunInput::kKey:
        out.U8(static_cast<uint8_t>(KeyMessageCode(in.message)));
        out.U8(static_cast<uint8_t>(in.wParam));
        out.V(Zigzag(in.lParam));
        break;
    case RunInput::kFocus:
    case RunInput::kAnswer:
        out.U8(static_cast<uint8_t>(in.message));
        break;
    default:
        break;
    }
}

bool ReadLevels(Reader& in, uint8_t flags, RunLevels* levels) {
    levels->builtinFirst = (flags & kBuiltinFirstFlag) != 0;
    if (levels->builtinFirst && !in.U32(&levels->builtinCrc, "built-in level's check sum"))
        return false;
    uint32_t count;
    if (!in.Count(&count, kMaxRunLevelFiles, kFileMinBytes, "level files"))
        return false;
    levels->files.resize(count);
    for (RunLevelFile& file : levels->files) {
        if (!in.U8(&file.number, "level files") || !in.V(&file.size, "level files") ||
            !in.U32(&file.crc, "level files"))
            return false;
    }
    uint32_t size;
    const uint8_t* at;
    if (!in.Count(&size, kMaxLevelCodeBodyBytes, 1, "bytes of the carried level") ||
        !in.Bytes(size, &at))
        return false;
    levels->levelBody.assign(at, at + size);
    return true;
}

bool ReadClock(Reader& in, std::vector<uint32_t>* clock) {
    uint32_t looks;
    if (!in.Count(&looks, kMaxRunClockLooks, 1, "clock looks"))
        return false;
    clock->reserve(looks);
    for (uint32_t i = 0; i < looks; ++i) {
        uint8_t look;
        if (!in.U8(&look, "clock"))
            return false;
        if (look < kLongLook) {
            clock->push_back(look);
            continue;
        }
        uint32_t value;
        if (!in.U32(&value, "clock"))
            return false;
        if (value < kLongLook)
            return in.Fail("a clock look of " + std::to_string(value) + " is written long");
        clock->push_back(value);
    }
    return true;
}

bool ReadInputs(Reader& in, std::vector<RunInput>* inputs) {
    uint32_t count;
    if (!in.Count(&count, UINT32_MAX, kInputMinBytes, "inputs"))
        return false;
    inputs->reserve(count);
    RunInput before;
    for (uint32_t i = 0; i < count; ++i) {
        RunInput input;
        uint32_t pass, taken;
        uint8_t message = 0, key = 0;
        if (!in.V(&pass, "inputs") || !in.V(&taken, "inputs") || !in.U8(&input.kind, "inputs"))
            return false;
        if (pass > UINT32_MAX - before.pass || taken > UINT32_MAX - before.taken)
            return in.Fail("an input's stamp goes past 32 bits");
        input.pass = before.pass + pass;
        input.taken = before.taken + taken;
        switch (input.kind) {
        case RunInput::kKey: {
            uint32_t lParam;
            if (!in.U8(&message, "inputs") || !in.U8(&key, "inputs") || !in.V(&lParam, "inputs"))
                return false;
            if (message >= 3)
                return in.Fail("a key input's message is " + std::to_string(message));
            input.message = kKeyMessages[message];
            input.wParam = key;
            input.lParam = Unzigzag(lParam);
            break;
        }
        case RunInput::kFocus:
        case RunInput::kAnswer:
            if (!in.U8(&message, "inputs"))
                return false;
            input.message = message;
            break;
        case RunInput::kClose:
            break;
        default:
            return in.Fail("an input is of kind " + std::to_string(input.kind));
        }
        inputs->push_back(input);
        before = input;
    }
    return true;
}

// The settings that follow the words when the flags say so. Written only
// when they are not the design's, so each record has one body.
bool ReadSettings(Reader& in, RunRecord* run) {
    uint32_t speed;
    if (!in.V(&speed, "settings"))
        return false;
    if (speed == uint32_t(kDesignTurnSpeed))
        return in.Fail("the settings are the design's, which a run does not write");
    if (!TurnSpeedProblem(speed).empty())
        return in.Fail(TurnSpeedProblem(speed));
    run->turnSpeed = int32_t(speed);
    return true;
}

bool Refuse(RunRecord* run, std::string* error, const std::string& why) {
    *run = RunRecord();
    if (error)
        *error = why;
    return false;
}

bool SameInput(const RunInput& a, const RunInput& b) {
    return a.pass == b.pass && a.taken == b.taken && a.kind == b.kind && a.message == b.message &&
           a.wParam == b.wParam && a.lParam == b.lParam;
}

bool SameFile(const RunLevelFile& a, const RunLevelFile& b) {
    return a.number == b.number && a.size == b.size && a.crc == b.crc;
}

template <typename T, typename Same>
bool SameList(const std::vector<T>& a, const std::vector<T>& b, Same same) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!same(a[i], b[i]))
            return false;
    }
    return true;
}

} // namespace

bool MakeRunBody(const RunRecord& run, std::vector<uint8_t>* body, std::string* error) {
    body->clear();
    const std::string why = RecordProblem(run);
    if (!why.empty()) {
        if (error)
            *error = "the run cannot be recorded: " + why;
        return false;
    }
    Writer out(body);
    out.Bytes(kRunBodyTag, sizeof kRunBodyTag);
    out.U8(kRunFormatVersion);
    out.V(run.seed);
    out.V(static_cast<uint32_t>(run.startLevel));
    // A run at the design's settings is the body every earlier run was.
    const bool settings = run.turnSpeed != kDesignTurnSpeed;
    out.U8(static_cast<uint8_t>((run.noConfirm ? kNoConfirmFlag : 0) |
                                (run.levels.builtinFirst ? kBuiltinFirstFlag : 0) |
                                (settings ? kSettingsFollowFlag : 0)));
    out.V(static_cast<uint32_t>(run.words.size()));
    out.Bytes(run.words.data(), run.words.size());
    if (settings)
        out.V(static_cast<uint32_t>(run.turnSpeed));
    if (run.levels.builtinFirst)
        out.U32(run.levels.builtinCrc);
    out.V(static_cast<uint32_t>(run.levels.files.size()));
    for (const RunLevelFile& file : run.levels.files) {
        out.U8(file.number);
        out.V(file.size);
        out.U32(file.crc);
    }
    out.V(static_cast<uint32_t>(run.levels.levelBody.size()));
    out.Bytes(run.levels.levelBody.data(), run.levels.levelBody.size());
    out.V(run.tape.passes);
    WriteClock(out, run.tape.clock);
    out.V(static_cast<uint32_t>(run.tape.inputs.size()));
    RunInput before;
    for (const RunInput& in : run.tape.inputs) {
        WriteInput(out, in, before);
        before = in;
    }
    out.U32(Crc32(body->data(), body->size()));
    if (body->size() > kMaxRunBodyBytes) {
        if (error)
            *error = "the run cannot be recorded: it takes " + std::to_string(body->size()) +
                     " bytes; at most " + std::to_string(kMaxRunBodyBytes);
        body->clear();
        return false;
    }
    if (error)
        error->clear();
    return true;
}

bool ReadRunBody(const uint8_t* body, size_t size, RunRecord* run, std::string* error) {
    const size_t tagged = size < sizeof kRunBodyTag ? size : sizeof kRunBodyTag;
    if (tagged > 0 && std::memcmp(body, kRunBodyTag, tagged) != 0)
        return Refuse(run, error, "it is not a Quibbo run");
    if (size < sizeof kRunBodyTag + 1 + kCrcBytes)
        return Refuse(run, error, "the run is cut short");
    if (body[4] > kRunFormatVersion)
        return Refuse(run, error, "the run was made by a newer Quibbo");
    if (body[4] == 0)
        return Refuse(run, error, "it is not a Quibbo run (version 0)");
    if (body[4] != kRunFormatVersion)
        return Refuse(run, error,
                      "the run was made by an older Quibbo (run format " + std::to_string(body[4]) +
                          "), whose game this one no longer plays");
    if (size > kMaxRunBodyBytes)
        return Refuse(run, error,
                      "the run is larger than any run (" + std::to_string(size) +
                          " bytes; at most " + std::to_string(kMaxRunBodyBytes) + ")");
    const size_t summed = size - kCrcBytes;
    Reader sum(body + summed, kCrcBytes);
    uint32_t crc = 0;
    sum.U32(&crc, "check sum");
    if (Crc32(body, summed) != crc)
        return Refuse(run, error, "the run's checksum does not match: it was changed or cut");

    RunRecord result;
    Reader in(body + sizeof kRunBodyTag + 1, summed - sizeof kRunBodyTag - 1);
    uint32_t startLevel, wordsSize;
    uint8_t flags;
    const uint8_t* words;
    bool read =
        in.V(&result.seed, "seed") && in.V(&startLevel, "start level") && in.U8(&flags, "flags") &&
        in.Count(&wordsSize, kMaxRunWordsBytes, 1, "bytes of words") && in.Bytes(wordsSize, &words);
    if (read && !StartLevelProblem(startLevel).empty())
        read = in.Fail(StartLevelProblem(startLevel));
    if (read && (flags & ~(kNoConfirmFlag | kBuiltinFirstFlag | kSettingsFollowFlag)) != 0)
        read = in.Fail("unknown flags " + std::to_string(flags));
    if (read && (flags & kSettingsFollowFlag))
        read = ReadSettings(in, &result);
    if (read) {
        result.startLevel = int32_t(startLevel);
        result.noConfirm = (flags & kNoConfirmFlag) != 0;
        result.words.assign(reinterpret_cast<const char*>(words), wordsSize);
        read = ReadLevels(in, flags, &result.levels) && in.V(&result.tape.passes, "passes") &&
               ReadClock(in, &result.tape.clock) && ReadInputs(in, &result.tape.inputs);
    }
    if (read && in.Left() != 0)
        read = in.Fail(in.Left() == 1
                           ? std::string("1 byte is left over after the inputs")
                           : std::to_string(in.Left()) + " bytes are left over after the inputs");
    if (!read)
        return Refuse(run, error, "the run is damaged: " + in.Why());
    const std::string why = RecordProblem(result);
    if (!why.empty())
        return Refuse(run, error, "the run is damaged: " + why);
    *run = std::move(result);
    if (error)
        error->clear();
    return true;
}

bool operator==(const RunRecord& a, const RunRecord& b) {
    return a.seed == b.seed && a.startLevel == b.startLevel && a.noConfirm == b.noConfirm &&
           a.turnSpeed == b.turnSpeed && a.words == b.words &&
           a.levels.builtinFirst == b.levels.builtinFirst &&
           a.levels.builtinCrc == b.levels.builtinCrc &&
           SameList(a.levels.files, b.levels.files, SameFile) &&
           a.levels.levelBody == b.levels.levelBody && a.tape.clock == b.tape.clock &&
           SameList(a.tape.inputs, b.tape.inputs, SameInput) && a.tape.passes == b.tape.passes;
}

bool ReadRunBodyFile(const std::string& path, RunRecord* run, std::string* error) {
    std::vector<uint8_t> body;
    std::string why;
    const bool read = ReadWholeFile(path.c_str(), kMaxRunBodyBytes, &body, &why, true) &&
                      ReadRunBody(body.data(), body.size(), run, &why);
    if (!read && error)
        *error = why;
    return read;
}
