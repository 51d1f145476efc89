// A recorded run: what the game was started with, the levels it played and
// every input and clock look it took, so that the same game can be lived
// again on another machine, in the page or from a link. The record travels
// as a body of bytes; a run file holds it deflated (app/RunFileIo.h) and a
// run link carries it as MakeLinkCode(kRunCodeFormat, raw deflate of it).
//
// The body. "v" is an unsigned LEB128 varint of a 32-bit value: 7 bits a
// byte, low bits first, the top bit set on every byte but the last; at most
// 5 bytes, never a needless last byte of 0 (so each value has one spelling)
// and never above 0xFFFFFFFF. Fixed-size numbers are little-endian.
//   4  "QRUN"
//   1  version, 2 (a higher one was made by a newer Quibbo; 1, by an older
//      one whose rules differ, is refused)
//   v  seed
//   v  startLevel, 0 to kMaxRunStartLevel
//   1  flags: 1 noConfirm, 2 builtinFirst, 4 settingsFollow; the other
//      bits 0
//   v  n, 0 to kMaxRunWordsBytes; then n bytes of words, none of them 0
//   v  turnSpeed, kDesignTurnSpeed + 1 to kMaxTurnSpeed     only when
//      settingsFollow, which is set exactly when the turn speed is not the
//      design's (a body without it, as every run before settings had,
//      turns at kDesignTurnSpeed)
//   4  builtinCrc                           only when builtinFirst
//   v  f, 0 to 100 level files; f x (1 number, v size, 4 crc), the numbers
//      strictly rising from 0 to 99, each size 1 to kMaxLevelFileBytes
//   v  b, 0 or the bytes of a carried level; then b bytes, a body that
//      ReadLevelCodeBody reads (so b is at most kMaxLevelCodeBodyBytes)
//   v  passes
//   v  c clock looks, at most kMaxRunClockLooks; c x: 1 the look, 0 to
//      254; or 255 then 4 the look, 255 or more
//   v  i inputs; i x:
//        v  pass minus the input before's (the first: minus 0)
//        v  taken minus the input before's
//        1  kind (RunInput::Kind)
//        kKey:    1 message (0 WM_KEYDOWN, 1 WM_KEYUP, 2 WM_CHAR),
//                 1 wParam (1 to 255), v lParam zigzagged ((l << 1) ^ (l >> 31))
//        kFocus:  1 message (0 lost, 1 has)
//        kAnswer: 1 message (IDOK, IDCANCEL, IDYES or IDNO)
//        kClose:  nothing
//      no input's pass above passes; the fields a kind does not use are 0
//   4  CRC-32 (platform/LinkCode.h) of every byte before it
// and nothing after; the whole body at most kMaxRunBodyBytes.
//
// The levels: builtinFirst is set exactly when neither a carried level nor
// a QB00.BMP is in the set; a carried level comes with no files.
#pragma once
#include "platform/RunTape.h"
#include "world/World.h"
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The body's version. 2: the catch hold, the level cards, sidestep, no wait
// on a resume, keys at the unpause and named level files play differently
// from 1, so a run of 1 is refused rather than played wrong.
const uint8_t kRunFormatVersion = 2;
// The first bytes of every body.
const uint8_t kRunBodyTag[4] = {'Q', 'R', 'U', 'N'};
// The format character of run links (MakeLinkCode).
const char kRunCodeFormat = 'r';
// What marks a run's code in a link.
const char kRunLinkMark[] = "#run=";
// A run file: these 4 bytes, then the raw deflate of the body.
const uint8_t kRunFileMagic[4] = {'Q', 'B', 'R', 'Z'};
// Any body that unpacks larger is refused while unpacking; no body is made
// larger.
const size_t kMaxRunBodyBytes = 8u << 20;

// The limits of a record's fields (see the body above).
const int32_t kMaxRunStartLevel = 9999;    // as --level takes it
const size_t kMaxRunWordsBytes = 4096;     // the free words of the command line
const size_t kMaxRunLevelFiles = 100;      // QB00.BMP to QB99.BMP
const size_t kMaxRunClockLooks = 1u << 23; // 38 hours at 60 looks a second
// Passes: a pass runs a frame, which looks at the clock, or waits, and a
// waiting pass goes by up to the next input's stamp. So a run holds at most
// the last input's pass + its clock looks + its inputs + kRunPassesSpare
// passes, and never more than a frame limit can count.
const uint32_t kRunPassesSpare = 1;
const int32_t kMaxRunPasses = INT32_MAX;

struct RunLevelFile {
    uint8_t number; // QBnn.BMP: nn
    uint32_t size;  // its bytes
    uint32_t crc;   // Crc32 of its bytes
};
struct RunLevels {
    // The set is a folder's QBnn.BMP files (none at all: only the built-in
    // level and nothing after it), with the built-in level first when the
    // folder has no QB00.BMP; or one level carried whole, as a level link's
    // code body (scene/LevelCode.h), which is how a level from a link or the
    // editor is played.
    bool builtinFirst = false;
    uint32_t builtinCrc = 0;         // Crc32 of the built-in level's bytes, when builtinFirst
    std::vector<RunLevelFile> files; // by rising number
    std::vector<uint8_t> levelBody;  // non-empty: the one level, carried (files then empty,
                                     // builtinFirst false)
};
struct RunRecord {
    uint32_t seed = 1;
    int32_t startLevel = 0; // --level N
    bool noConfirm = false; // --no-confirm
    // The settings that change the game, as the run was played with them
    // (app/Settings.h); a replay plays them whatever its machine's are.
    int32_t turnSpeed = kDesignTurnSpeed; // degrees a second, up to kMaxTurnSpeed
    std::string words; // COptions::m_strCmdLine: the free words (the access word may be
                       // among them), at most kMaxRunWordsBytes
    RunLevels levels;
    RunTape tape;
};

// The body of a record. Refused, with *body empty and a one-line reason in
// *error (if given), for a record the body cannot hold: a field out of its
// range, stamps going down, levels that are not one of the sets above, or a
// body that would be larger than kMaxRunBodyBytes. Whatever is made reads
// back as the same record.
bool MakeRunBody(const RunRecord& run, std::vector<uint8_t>* body, std::string* error);

// The record of a body. Refused, with *run reset and a one-line reason in
// *error (if given): not a run, cut short, a newer version ("the run was
// made by a newer Quibbo") or an older one ("... run format 1 ..."), a
// check sum that does not match, then any field out of its range, stamps
// going down, counts that do not fit the bytes left, bytes after the check
// sum, more passes than the clock and inputs account for. Counts are
// checked against the bytes left before anything is allocated for them, so
// a body never costs more than its size justifies.
bool ReadRunBody(const uint8_t* body, size_t size, RunRecord* run, std::string* error);

// The record of the bare body in the file at `path` (at most
// kMaxRunBodyBytes, a regular file): what the page writes once it has
// inflated a link or a dropped run file itself. Refused as ReadRunBody
// refuses, or with why the file cannot be read.
bool ReadRunBodyFile(const std::string& path, RunRecord* run, std::string* error);

// Equal field for field (the levels and the tape included).
bool operator==(const RunRecord& a, const RunRecord& b);
inline bool operator!=(const RunRecord& a, const RunRecord& b) {
    return !(a == b);
}
