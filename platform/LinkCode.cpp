#include "platform/LinkCode.h"
#include <array>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

// The value of a base64url character, or -1 when the alphabet lacks it.
int SextetOf(char ch) {
    if (ch >= 'A' && ch <= 'Z')
        return ch - 'A';
    if (ch >= 'a' && ch <= 'z')
        return ch - 'a' + 26;
    if (ch >= '0' && ch <= '9')
        return ch - '0' + 52;
    if (ch == '-')
        return 62;
    if (ch == '_')
        return 63;
    return -1;
}

bool Refuse(std::vector<uint8_t>* bytes, std::string* error, const std::string& why) {
    std::vector<uint8_t>().swap(*bytes);
    if (error)
        *error = why;
    return false;
}

} // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string EncodeBase64Url(const uint8_t* data, size_t size) {
    std::string out;
    out.reserve((size * 4 + 2) / 3);
    size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const uint32_t v = uint32_t(data[i]) << 16 | uint32_t(data[i + 1]) << 8 | data[i + 2];
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (size - i == 1) {
        out += kAlphabet[data[i] >> 2];
        out += kAlphabet[(data[i] & 3) << 4];
    } else if (size - i == 2) {
        const uint32_t v = uint32_t(data[i]) << 8 | data[i + 1];
        out += kAlphabet[v >> 10];
        out += kAlphabet[(v >> 4) & 63];
        out += kAlphabet[(v & 15) << 2];
    }
    return out;
}

bool DecodeBase64Url(std::string_view text, std::vector<uint8_t>* bytes, std::string* error) {
    bytes->clear();
    if (text.size() % 4 == 1)
        return Refuse(bytes, error,
                      "the link's code has " + std::to_string(text.size()) +
                          " characters, a length no code has: it was cut or added to");
    bytes->reserve(text.size() / 4 * 3 + 2);
    uint32_t bits = 0;
    int held = 0; // bits in `bits` not yet put out
    for (size_t i = 0; i < text.size(); ++i) {
        const int sextet = SextetOf(text[i]);
        if (sextet < 0)
            return Refuse(bytes, error,
                          "the link's code has a character no code has, at place " +
                              std::to_string(i + 1));
        bits = (bits << 6 | uint32_t(sextet)) & 0xFFFFFF;
        held += 6;
        if (held >= 8) {
            held -= 8;
            bytes->push_back(static_cast<uint8_t>(bits >> held));
        }
    }
    // The last character's unused bits are 0 in every code written here: a
    // code whose are not was changed, even if its bytes would read.
    if (held > 0 && (bits & ((1u << held) - 1)) != 0)
        return Refuse(bytes, error,
                      "the link's code has a wrong last character: it was changed or cut");
    if (error)
        error->clear();
    return true;
}

std::string MakeLinkCode(char format, const uint8_t* data, size_t size) {
    return format + EncodeBase64Url(data, size);
}

bool ReadLinkCode(std::string_view code, char format, std::vector<uint8_t>* data,
                  std::string* error) {
    if (code.size() > kMaxLinkCodeChars)
        return Refuse(data, error,
                      "the link's code is longer than any link's (" + std::to_string(code.size()) +
                          " characters; at most " + std::to_string(kMaxLinkCodeChars) + ")");
    if (code.empty())
        return Refuse(data, error, "the link has no code");
    const char got = code[0];
    if (got != format) {
        const bool digits = format >= '0' && format <= '9' && got >= '0' && got <= '9';
        if (digits && got > format)
            return Refuse(data, error,
                          std::string("the link was made by a newer Quibbo (format ") + got + ")");
        return Refuse(data, error, "the link's code is not of a format this Quibbo reads");
    }
    return DecodeBase64Url(code.substr(1), data, error);
}
