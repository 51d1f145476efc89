// Run bodies: every record the game makes comes back field for field and
// byte for byte, the largest a long game makes stays small, and a body no
// Quibbo wrote is refused in one line, whatever in it is wrong.
#include "app/RunFile.h"
#include "platform/LinkCode.h"
#include "platform/PlatformTypes.h"
#include "platform/WholeFile.h"
#include "scene/LevelCode.h"
#include "scene/LevelText.h"
#include "testkit/RunRecords.h"
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using runtest::Key;
using runtest::Other;

Bytes V(uint64_t v) {
    Bytes out;
    do {
        out.push_back(static_cast<uint8_t>((v & 0x7F) | (v >= 0x80 ? 0x80 : 0)));
        v >>= 7;
    } while (v != 0);
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Crc(const Bytes& bytes) {
    const uint32_t crc = Crc32(bytes.data(), bytes.size());
    return {uint8_t(crc), uint8_t(crc >> 8), uint8_t(crc >> 16), uint8_t(crc >> 24)};
}

// The tag, a version and the fields, sealed with a check sum that matches,
// so only the fields can be what is refused.
Bytes Sealed(const Bytes& fields, uint8_t version = kRunFormatVersion) {
    const Bytes body = Cat({{'Q', 'R', 'U', 'N', version}, fields});
    return Cat({body, Crc(body)});
}

// The fields of the smallest body, piece by piece, for a case to change one.
struct Pieces {
    Bytes head = Cat({V(1), V(0)}); // seed, start level
    Bytes flags = {2};              // the built-in level first
    Bytes words = V(0);
    Bytes builtin = {1, 2, 3, 4};
    Bytes files = V(0);
    Bytes level = V(0);
    Bytes passes = V(9);
    Bytes clock = Cat({V(8), Bytes(8, 16)}); // the passes' looks, all but the last
    Bytes inputs = V(0);
    Bytes tail;
    Bytes Body() const {
        return Sealed(
            Cat({head, flags, words, builtin, files, level, passes, clock, inputs, tail}));
    }
};

Bytes LevelBody() {
    LevelGrid grid;
    std::string error;
    EXPECT_TRUE(ParseLevelText("=a 7 10 20 30\n#####\n#P.o#\n#.aE#\n#####\n", &grid, &error))
        << error;
    Bytes body;
    EXPECT_TRUE(MakeLevelCodeBody(grid, &body, &error)) << error;
    return body;
}

Bytes MadeBody(const RunRecord& run) {
    Bytes body;
    std::string error;
    EXPECT_TRUE(MakeRunBody(run, &body, &error)) << error;
    return body;
}

// Refused, in one line that begins with `start` and holds `why`, with the
// record left empty.
void ExpectRefused(const Bytes& body, const std::string& start, const std::string& why,
                   const std::string& label) {
    RunRecord run = runtest::SmallRun();
    std::string error;
    EXPECT_FALSE(ReadRunBody(body.data(), body.size(), &run, &error)) << label;
    EXPECT_NE(error.find(why), std::string::npos) << label << ": " << error;
    EXPECT_EQ(error.rfind(start, 0), 0u) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << label;
    EXPECT_TRUE(run == RunRecord()) << label;
}

} // namespace

TEST(RunFile, EveryRecordComesBackFieldForFieldAndByteForByte) {
    RunRecord extremes = runtest::SmallRun();
    extremes.seed = 0xFFFFFFFF;
    extremes.startLevel = kMaxRunStartLevel;
    extremes.words.assign(kMaxRunWordsBytes, '\xFF');
    extremes.levels.files = {{0, kMaxLevelFileBytes, 0}, {99, 1, 0xFFFFFFFF}};
    extremes.tape.clock = {0, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0x80, 0x7F};
    extremes.tape.passes = uint32_t(kMaxRunPasses);
    extremes.tape.inputs = {Key(0, 0, WM_KEYDOWN, 1, INT32_MIN),
                            Key(0, 0, WM_KEYUP, 255, INT32_MAX),
                            Key(uint32_t(kMaxRunPasses), 0xFFFFFFFF, WM_KEYDOWN, 'A', -1)};
    RunRecord carried = runtest::SmallRun();
    carried.levels = RunLevels();
    carried.levels.levelBody = LevelBody();
    RunRecord bare; // nothing played: the built-in level, no looks, no inputs
    bare.levels.builtinFirst = true;
    RunRecord fastest = runtest::SmallRun();
    fastest.turnSpeed = kMaxTurnSpeed;
    const std::pair<const char*, RunRecord> records[] = {{"small", runtest::SmallRun()},
                                                         {"long", runtest::LongRun()},
                                                         {"extremes", extremes},
                                                         {"carried level", carried},
                                                         {"bare", bare},
                                                         {"fastest turn", fastest}};
    for (const auto& [label, record] : records) {
        const Bytes body = MadeBody(record);
        RunRecord back;
        std::string error;
        ASSERT_TRUE(ReadRunBody(body.data(), body.size(), &back, &error)) << label << ": " << error;
        EXPECT_TRUE(back == record) << label;
        EXPECT_EQ(MadeBody(back), body) << label;
    }
}

// A body laid out as every body was before the settings (no flag for them)
// plays at the design's turn speed, and a run at that speed is still made
// into those very bytes; a run at another speed differs by the flag and the
// speed after the words, nothing else.
TEST(RunFile, RunsMadeBeforeTheSettingsTurnAtTheDesignsSpeed) {
    const Bytes old = Pieces().Body();
    RunRecord run;
    std::string error;
    ASSERT_TRUE(ReadRunBody(old.data(), old.size(), &run, &error)) << error;
    EXPECT_EQ(run.turnSpeed, kDesignTurnSpeed);
    EXPECT_EQ(MadeBody(run), old);
    run.turnSpeed = 90;
    Pieces fast;
    fast.flags = {2 | 4};
    fast.words = Cat({V(0), V(90)});
    EXPECT_EQ(MadeBody(run), fast.Body());
}

// The page writes a run it has inflated as a bare body; the game reads it
// back as the same record, and refuses what is not one whole body in a file.
TEST(RunFile, ABareBodyInAFileIsReadAsTheBody) {
    const std::string path = testing::TempDir() + "quibbo-bare-body.qrun";
    const Bytes body = MadeBody(runtest::SmallRun());
    ASSERT_TRUE(WriteWholeFile(path.c_str(), body));
    RunRecord back;
    std::string error;
    ASSERT_TRUE(ReadRunBodyFile(path, &back, &error)) << error;
    EXPECT_TRUE(back == runtest::SmallRun());

    ASSERT_TRUE(WriteWholeFile(path.c_str(), Bytes(body.begin(), body.end() - 1)));
    EXPECT_FALSE(ReadRunBodyFile(path, &back, &error));
    EXPECT_NE(error.find("checksum does not match"), std::string::npos) << error;
    std::remove(path.c_str());
    for (const std::string& notABody : {path, testing::TempDir()}) {
        error.clear();
        EXPECT_FALSE(ReadRunBodyFile(notABody, &back, &error)) << notABody;
        EXPECT_FALSE(error.empty()) << notABody;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(RunFile, ATwentyMinuteGameStaysSmall) {
    const RunRecord run = runtest::LongRun();
    const Bytes body = MadeBody(run);
    std::printf("run body of 20 minutes (%zu clock looks, %zu inputs): %zu bytes\n",
                run.tape.clock.size(), run.tape.inputs.size(), body.size());
    // Two bytes a look would be plain varints: run-length coding must beat them.
    EXPECT_LT(body.size(), run.tape.clock.size() * 2);
}

TEST(RunFile, RecordsTheBodyCannotHoldAreRefused) {
    const std::vector<std::pair<std::string, std::function<void(RunRecord&)>>> cases = {
        {"start level -1", [](RunRecord& r) { r.startLevel = -1; }},
        {"start level 10000", [](RunRecord& r) { r.startLevel = 10000; }},
        {"turn speed 181 is not 40 to 180", [](RunRecord& r) { r.turnSpeed = 181; }},
        {"4097 bytes", [](RunRecord& r) { r.words.assign(4097, 'a'); }},
        {"zero byte", [](RunRecord& r) { r.words = std::string("a\0b", 3); }},
        {"level file 0 is out of order", [](RunRecord& r) { r.levels.files[1].number = 0; }},
        {"level file 100 is out of order", [](RunRecord& r) { r.levels.files[2].number = 100; }},
        {"has 0 bytes", [](RunRecord& r) { r.levels.files[1].size = 0; }},
        {"built-in level is played before QB00",
         [](RunRecord& r) { r.levels.builtinFirst = true; }},
        {"neither QB00.BMP", [](RunRecord& r) { r.levels.files.erase(r.levels.files.begin()); }},
        {"check sum without", [](RunRecord& r) { r.levels.builtinCrc = 5; }},
        {"carried level comes with", [](RunRecord& r) { r.levels.levelBody = LevelBody(); }},
        {"its level: ",
         [](RunRecord& r) {
             r.levels = RunLevels();
             r.levels.levelBody = {1, 2, 3};
         }},
        {"8388609 clock looks",
         [](RunRecord& r) { r.tape.clock.assign(kMaxRunClockLooks + 1, 16); }},
        {"of kind 4", [](RunRecord& r) { r.tape.inputs[0].kind = 4; }},
        {"message 260", [](RunRecord& r) { r.tape.inputs[0].message = 260; }},
        {"key code 256", [](RunRecord& r) { r.tape.inputs[0].wParam = 256; }},
        {"key code 0", [](RunRecord& r) { r.tape.inputs[0].wParam = 0; }},
        {"neither 'has'", [](RunRecord& r) { r.tape.inputs[3].message = 2; }},
        {"neither 'has'", [](RunRecord& r) { r.tape.inputs[3].wParam = 1; }},
        {"answer is 3", [](RunRecord& r) { r.tape.inputs[5].message = 3; }},
        {"answer is 2", [](RunRecord& r) { r.tape.inputs[5].lParam = 1; }},
        {"close input carries", [](RunRecord& r) { r.tape.inputs[6].message = 1; }},
        {"stamps go down", [](RunRecord& r) { r.tape.inputs[2].pass = 2; }},
        {"stamps go down", [](RunRecord& r) { r.tape.inputs[2].taken = 0; }},
        {"comes at pass 41 of 40", [](RunRecord& r) { r.tape.inputs[6].pass = 41; }},
        // Every look a run of its own: over 3 bytes each, more than a body may be.
        {"bytes; at most 8388608",
         [](RunRecord& r) {
             r.tape.clock.clear();
             for (uint32_t i = 0; i < kMaxRunClockLooks; ++i)
                 r.tape.clock.push_back(1000 + i % 2);
         }},
    };
    for (const auto& [why, change] : cases) {
        RunRecord run = runtest::SmallRun();
        change(run);
        Bytes body = {1};
        std::string error;
        EXPECT_FALSE(MakeRunBody(run, &body, &error)) << why;
        EXPECT_TRUE(body.empty()) << why;
        EXPECT_EQ(error.rfind("the run cannot be recorded: ", 0), 0u) << error;
        EXPECT_NE(error.find(why), std::string::npos) << why << ": " << error;
    }
}

TEST(RunFile, BodiesNoQuibboWroteAreRefusedInOneLine) {
    RunRecord smallest;
    const Bytes valid = Pieces().Body();
    std::string error;
    ASSERT_TRUE(ReadRunBody(valid.data(), valid.size(), &smallest, &error)) << error;
    EXPECT_EQ(smallest.tape.passes, 9u);

    const Bytes key = Cat({V(1), V(0), {0}});
    const std::vector<std::pair<std::string, std::function<void(Pieces&)>>> fields = {
        {"start level 10000",
         [](Pieces& p) {
             p.head = Cat({V(1), V(10000)});
         }},
        {"longer than it needs",
         [](Pieces& p) {
             p.head = {0x81, 0x00, 0x00};
         }},
        {"larger than 32 bits",
         [](Pieces& p) {
             p.head = Cat({V(1ull << 32), V(0)});
         }},
        {"a number in the seed is larger than 32 bits",
         [](Pieces& p) { p.head = {0x80, 0x80, 0x80, 0x80, 0x80, 0x01}; }},
        {"unknown flags 10", [](Pieces& p) { p.flags = {10}; }},
        // The settings after the words: never the design's, never out of range.
        {"the settings are the design's",
         [](Pieces& p) {
             p.flags = {6};
             p.words = Cat({V(0), V(40)});
         }},
        {"the turn speed 181 is not 40 to 180",
         [](Pieces& p) {
             p.flags = {6};
             p.words = Cat({V(0), V(181)});
         }},

        {"4097 bytes of words; at most 4096", [](Pieces& p) { p.words = V(4097); }},
        {"50 bytes of words cannot fit", [](Pieces& p) { p.words = V(50); }},
        {"zero byte",
         [](Pieces& p) {
             p.words = Cat({V(3), {'a', 0, 'b'}});
         }},
        {"101 level files; at most 100", [](Pieces& p) { p.files = V(101); }},
        {"5 level files cannot fit", [](Pieces& p) { p.files = V(5); }},
        {"level file 0 is out of order",
         [](Pieces& p) {
             p.flags = {0};
             p.builtin = {};
             p.files = Cat({V(2), {0}, V(200), {0, 0, 0, 0}, {0}, V(200), {0, 0, 0, 0}});
         }},
        {"level file 100 is out of order",
         [](Pieces& p) {
             p.files = Cat({V(1), {100}, V(200), {0, 0, 0, 0}});
         }},
        {"level file 3 has 0 bytes",
         [](Pieces& p) {
             p.files = Cat({V(1), {3}, V(0), {0, 0, 0, 0}});
         }},
        {"played before QB00.BMP",
         [](Pieces& p) {
             p.files = Cat({V(1), {0}, V(200), {0, 0, 0, 0}});
         }},
        {"neither QB00.BMP nor",
         [](Pieces& p) {
             p.flags = {0};
             p.builtin = {};
         }},
        {"its level: the link's code is cut short",
         [](Pieces& p) {
             p.flags = {0};
             p.builtin = {};
             p.level = Cat({V(3), {1, 2, 3}});
         }},
        {"carried level comes with other levels",
         [](Pieces& p) {
             p.level = Cat({V(LevelBody().size()), LevelBody()});
         }},
        {"a clock look of 254 is written long",
         [](Pieces& p) {
             p.clock = Cat({V(2), {16, 255, 254, 0, 0, 0}});
         }},
        {"8388609 clock looks; at most 8388608", [](Pieces& p) { p.clock = V((1u << 23) + 1); }},
        {"1000 clock looks cannot fit", [](Pieces& p) { p.clock = V(1000); }},
        {"1000 inputs cannot fit", [](Pieces& p) { p.inputs = V(1000); }},
        {"ends inside the inputs",
         [](Pieces& p) {
             p.inputs = Cat({V(1), V(0), V(0), {0}});
         }},
        {"of kind 4",
         [](Pieces& p) {
             p.inputs = Cat({V(1), V(0), V(0), {4}});
         }},
        {"message is 3",
         [key](Pieces& p) {
             p.inputs = Cat({V(1), key, {3, 65}, V(0)});
         }},
        {"key code 0",
         [key](Pieces& p) {
             p.inputs = Cat({V(1), key, {0, 0}, V(0)});
         }},
        {"neither 'has' nor 'lost'",
         [](Pieces& p) {
             p.inputs = Cat({V(1), V(0), V(0), {1, 2}});
         }},
        {"answer is 3",
         [](Pieces& p) {
             p.inputs = Cat({V(1), V(0), V(0), {3, 3}});
         }},
        {"past 32 bits",
         [](Pieces& p) {
             p.inputs = Cat({V(2), V(0xFFFFFFFF), V(0), {2}, V(1), V(0), {2}});
         }},
        {"comes at pass 10 of 9",
         [](Pieces& p) {
             p.inputs = Cat({V(1), V(10), V(0), {2}});
         }},
        {"1 byte is left over after the inputs", [](Pieces& p) { p.tail = {0}; }},
        {"2 bytes are left over after the inputs",
         [](Pieces& p) {
             p.tail = {0, 0};
         }},
        // Passes with no look and no input to show for them would replay
        // on a clock the run does not hold, and a count past 31 bits would
        // be no frame limit at all.
        {"10 passes, more than its clock and inputs account for (9)",
         [](Pieces& p) { p.passes = V(10); }},
        {"2147483648 passes, more than its clock and inputs account for (2147483647)",
         [](Pieces& p) {
             p.passes = V(0x80000000u);
             p.inputs = Cat({V(1), V(0x80000000u), V(0), {2}});
         }},
    };
    for (const auto& [why, change] : fields) {
        Pieces pieces;
        change(pieces);
        ExpectRefused(pieces.Body(), "the run is damaged: ", why, why);
    }

    Bytes changed = valid;
    changed[6] ^= 1;
    Bytes huge = valid;
    huge.resize(kMaxRunBodyBytes + 1);
    const std::vector<std::pair<std::string, Bytes>> wholes = {
        {"the run is cut short", {}},
        {"the run is cut short", {'Q', 'R', 'U'}},
        {"the run is cut short", {'Q', 'R', 'U', 'N', 2, 0, 0, 0}},
        {"it is not a Quibbo run", {'Q', 'R', 'U', 'X', 2, 0, 0, 0, 0}},
        {"it is not a Quibbo run", {'B', 'M'}},
        {"it is not a Quibbo run (version 0)", Sealed(Cat({V(1), V(0)}), 0)},
        {"made by an older Quibbo (run format 1)", Sealed(Cat({V(1), V(0)}), 1)},
        {"the run was made by a newer Quibbo", Sealed(Cat({V(1), V(0)}), 3)},
        {"checksum does not match", changed},
        {"larger than any run", huge},
    };
    for (const auto& [why, body] : wholes)
        ExpectRefused(body, "", why, why);
}

TEST(RunFile, EveryCutAndEveryChangedByteIsRefused) {
    const Bytes body = MadeBody(runtest::SmallRun());
    for (size_t size = 0; size < body.size(); ++size) {
        RunRecord run;
        EXPECT_FALSE(ReadRunBody(body.data(), size, &run, nullptr)) << size << " bytes";
    }
    for (size_t at = 0; at < body.size(); ++at) {
        for (const uint8_t flip : {0x01, 0x80, 0xFF}) {
            Bytes changed = body;
            changed[at] ^= flip;
            RunRecord run;
            std::string error;
            EXPECT_FALSE(ReadRunBody(changed.data(), changed.size(), &run, &error))
                << "byte " << at << " ^ " << int(flip);
            EXPECT_FALSE(error.empty());
        }
    }
}
