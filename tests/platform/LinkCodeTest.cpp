// The framing of link codes: the check sum both ends compute, base64url and
// the format character, and every way a pasted code can be wrong.
#include "platform/LinkCode.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace

TEST(LinkCode, Crc32IsTheIeeeSumInOneGoOrInParts) {
    // The published check value of the IEEE polynomial, and the empty sum.
    const std::vector<uint8_t> nine = Bytes("123456789");
    EXPECT_EQ(0xCBF43926u, Crc32(nine.data(), nine.size()));
    EXPECT_EQ(0u, Crc32(nullptr, 0));
    EXPECT_EQ(Crc32(nine.data(), nine.size()), Crc32(nine.data() + 4, 5, Crc32(nine.data(), 4)));
}

TEST(LinkCode, Base64UrlHasNoPaddingAndTheUrlAlphabet) {
    // RFC 4648's vectors without their '=', and the two characters that
    // differ from plain base64 ('+' and '/' there).
    const struct {
        std::vector<uint8_t> bytes;
        const char* text;
    } cases[] = {{Bytes(""), ""},
                 {Bytes("f"), "Zg"},
                 {Bytes("fo"), "Zm8"},
                 {Bytes("foo"), "Zm9v"},
                 {Bytes("foob"), "Zm9vYg"},
                 {Bytes("fooba"), "Zm9vYmE"},
                 {Bytes("foobar"), "Zm9vYmFy"},
                 {{0xFB, 0xFF, 0xBF}, "-_-_"}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, EncodeBase64Url(c.bytes.data(), c.bytes.size()));
        std::vector<uint8_t> back = {1, 2};
        std::string error = "stale";
        EXPECT_TRUE(DecodeBase64Url(c.text, &back, &error)) << c.text;
        EXPECT_EQ(c.bytes, back) << c.text;
        EXPECT_EQ("", error);
    }
    // Every byte value and every length remainder goes there and back.
    std::vector<uint8_t> all;
    for (int i = 0; i < 259; ++i) {
        std::vector<uint8_t> back;
        const std::string text = EncodeBase64Url(all.data(), all.size());
        ASSERT_TRUE(DecodeBase64Url(text, &back, nullptr)) << i;
        ASSERT_EQ(all, back) << i;
        all.push_back(static_cast<uint8_t>(255 - i));
    }
}

TEST(LinkCode, RefusesWhatNoEncoderWrites) {
    const std::string good = "1" + EncodeBase64Url(Bytes("a level").data(), 7); // "1YSBsZXZlbA"
    const struct {
        std::string code;
        const char* reason; // a part of it
    } cases[] = {
        {"", "the link has no code"},
        {"2" + good.substr(1), "made by a newer Quibbo (format 2)"},
        {"0" + good.substr(1), "not of a format this Quibbo reads"},
        {"x" + good.substr(1), "not of a format this Quibbo reads"},
        {good + "=", "a character no code has, at place 11"},     // padding
        {good.substr(0, 3) + "+" + good.substr(4), "at place 3"}, // plain base64's
        {good.substr(0, 3) + "/" + good.substr(4), "at place 3"},
        {good.substr(0, 3) + " " + good.substr(4), "at place 3"},
        {good.substr(0, 3) + "\xC3\xA9" + good.substr(5), "at place 3"},
        {good + "AAA", "a length no code has"},             // 13 after the format: 4n + 1
        {good.substr(0, 10) + "B", "wrong last character"}, // unused low bits set
        {"1" + std::string(kMaxLinkCodeChars, 'A'), "longer than any link's"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> data = {9};
        std::string error;
        EXPECT_FALSE(ReadLinkCode(c.code, '1', &data, &error)) << c.code.substr(0, 40);
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
        EXPECT_EQ(std::string::npos, error.find('\n')) << error;
        EXPECT_TRUE(data.empty());
    }
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadLinkCode(good, '1', &data, nullptr));
    EXPECT_EQ(Bytes("a level"), data);
    // The longest code allowed is read (a run of 'A's is zero bytes).
    const std::string longest = "1" + std::string(kMaxLinkCodeChars - 1 - 3, 'A');
    EXPECT_TRUE(ReadLinkCode(longest, '1', &data, nullptr));
}
