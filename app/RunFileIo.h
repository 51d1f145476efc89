// Run files and run links on a computer: the body of app/RunFile.h
// deflated with zlib. Native builds only: the page deflates with the
// browser's own streams and hands the game bare bodies.
#pragma once
#include "app/RunFile.h"
#include <cstddef>
#include <string>
#include <string_view>

// The largest run file read: a bare body at its largest. A larger file is
// refused before a byte of it is read.
const size_t kMaxRunFileBytes = kMaxRunBodyBytes;

// The file: kRunFileMagic + RawDeflate(body), put in place whole
// (PlatReplaceFile): a file already at `path` survives any failure. False,
// with a one-line reason in *error (if given), when the run cannot be made
// into a body or the file cannot be written whole.
bool WriteRunFile(const std::string& path, const RunRecord& run, std::string* error);

// Reads what WriteRunFile writes; also a file that is a bare body ("QRUN"...)
// and a file whose text is a run link or code ("...#run=CODE" or "rCODE",
// white space around allowed). Refused, with *run reset and a one-line
// reason in *error (if given) that does not repeat the path: no such
// file, one larger than kMaxRunFileBytes (before it is read), one that is
// none of these, and whatever the inflating or ReadRunBody refuses.
bool ReadRunFile(const std::string& path, RunRecord* run, std::string* error);

// kRunCodeFormat + base64url(raw deflate(body)); "" when the run cannot be
// made into a body or its code would be longer than kMaxLinkCodeChars.
std::string MakeRunCode(const RunRecord& run);

// The run of a link ("...#run=CODE") or of a code alone ("rCODE"), white
// space around allowed. Refused as ReadRunFile refuses.
bool ReadRunCode(std::string_view linkOrCode, RunRecord* run, std::string* error);
