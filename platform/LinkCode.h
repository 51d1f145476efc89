// The text a link carries after its '#': one format character, then the
// data in base64url (the URL-safe alphabet A-Z a-z 0-9 - _, no padding), so
// a code survives being pasted into a chat, a mail or an address bar. What
// the data is (a level, a recorded run) is the caller's; each kind of link
// has its own format character, and the check sum it carries is the CRC-32
// here, so the page and the tools agree on every bit.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A code longer than this is refused before anything is decoded: no level
// link comes near it, and a pasted novel must not cost memory.
const size_t kMaxLinkCodeChars = 2000000;

// The CRC-32 of the IEEE polynomial, as zlib's crc32 and PNG compute it.
// `crc` is the value of the bytes before these (0 to start), so a long
// block may be summed in parts.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

// Base64url of the bytes, without padding: 4 characters for every 3 bytes,
// 2 or 3 for a last 1 or 2.
std::string EncodeBase64Url(const uint8_t* data, size_t size);

// Reads text that EncodeBase64Url wrote. Only the text EncodeBase64Url would
// write for some bytes is accepted: a character outside the alphabet, a
// length that no byte count gives (a remainder of 1 after whole groups of 4)
// or a last character whose unused low bits are set is refused. False, with
// *bytes empty and a one-line reason in *error (if given), on refusal.
bool DecodeBase64Url(std::string_view text, std::vector<uint8_t>* bytes, std::string* error);

// `format` followed by the base64url of the data. `format` is a character of
// its own per kind of link and version: '1' for the first level links.
std::string MakeLinkCode(char format, const uint8_t* data, size_t size);

// The data of a code of the given format. Refused, with *data empty and a
// one-line reason in *error (if given): a code over kMaxLinkCodeChars (before
// it is read), an empty one, one of a later digit than `format` (made by a
// newer Quibbo), one of another format, and whatever DecodeBase64Url
// refuses.
bool ReadLinkCode(std::string_view code, char format, std::vector<uint8_t>* data,
                  std::string* error);
