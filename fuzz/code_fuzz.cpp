// Level links as a stranger might paste them. The first byte picks what the
// rest is (byte % 3):
//   0  the text of a link or of a code alone: framing, capped inflate, body
//   1  a raw deflate stream: capped inflate, body
//   2  a body without its check sum, which is added here, so that the
//      fuzzer gets past the sum to the fields behind it
//
// Whatever is read must come back: the grid's body is the very body read,
// the framing is the very text read, and the grid's code reads back as the
// same grid and level file. What is refused is refused in one line.
#include "FuzzSupport.h"
#include "platform/LinkCode.h"
#include "platform/zlib/RawDeflate.h"
#include "scene/LevelCode.h"
#include "scene/LevelText.h"
#include <string>
#include <vector>

namespace {

void SaysWhyInOneLine(const std::string& error) {
    FUZZ_CHECK(!error.empty(), "a refused code says why");
    FUZZ_CHECK(error.find('\n') == std::string::npos, "a refusal is one line");
}

// A grid read from `body`: made again, it is the same body, and its whole
// code reads back as the same level.
void ComesBack(const std::vector<uint8_t>& body, const LevelGrid& grid) {
    FUZZ_CHECK(grid.cells.size() == size_t(grid.width) * size_t(grid.height),
               "a body gives a whole grid");
    std::vector<uint8_t> again;
    std::string error;
    FUZZ_CHECK(MakeLevelCodeBody(grid, &again, &error), "a grid read from a body can be carried");
    FUZZ_CHECK(again == body, "a grid's body is the body it was read from");
    const std::string code = MakeDeflatedLinkCode(kLevelCodeFormat, again.data(), again.size());
    std::vector<uint8_t> unpacked;
    FUZZ_CHECK(
        ReadDeflatedLinkCode(code, kLevelCodeFormat, kMaxLevelCodeBodyBytes, &unpacked, &error),
        "a grid's code reads");
    FUZZ_CHECK(unpacked == body, "a grid's code unpacks to its body");
    LevelGrid back;
    FUZZ_CHECK(ReadLevelCodeBody(unpacked.data(), unpacked.size(), &back, &error),
               "a grid's body reads");
    FUZZ_CHECK(MakeLevelBitmap(back, false) == MakeLevelBitmap(grid, false),
               "a grid's code gives the same level file");
}

void Body(const std::vector<uint8_t>& body) {
    LevelGrid grid;
    std::string error;
    if (!ReadLevelCodeBody(body.data(), body.size(), &grid, &error)) {
        SaysWhyInOneLine(error);
        FUZZ_CHECK(grid.width == 0 && grid.cells.empty(), "a refused body leaves no grid");
        return;
    }
    ComesBack(body, grid);
}

void Deflated(const uint8_t* data, size_t size) {
    std::vector<uint8_t> body;
    std::string error;
    if (!RawInflate(data, size, kMaxLevelCodeBodyBytes, &body, &error)) {
        SaysWhyInOneLine(error);
        FUZZ_CHECK(body.empty(), "a refused stream gives nothing");
        return;
    }
    FUZZ_CHECK(body.size() <= kMaxLevelCodeBodyBytes, "inflate stops at its cap");
    Body(body);
}

void Text(const std::string& text) {
    const std::string_view code = LevelCodeOfLink(text);
    std::vector<uint8_t> deflated;
    std::string error;
    if (!ReadLinkCode(code, kLevelCodeFormat, &deflated, &error)) {
        SaysWhyInOneLine(error);
        FUZZ_CHECK(deflated.empty(), "a refused code gives nothing");
        return;
    }
    FUZZ_CHECK(MakeLinkCode(kLevelCodeFormat, deflated.data(), deflated.size()) == code,
               "only the text the encoder writes is read");
    Deflated(deflated.data(), deflated.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    switch (data[0] % 3) {
    case 0:
        Text(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
        break;
    case 1:
        Deflated(data + 1, size - 1);
        break;
    default: {
        std::vector<uint8_t> body(data + 1, data + size);
        const uint32_t crc = Crc32(body.data(), body.size());
        for (int i = 0; i < 4; ++i)
            body.push_back(static_cast<uint8_t>(crc >> (8 * i)));
        Body(body);
        break;
    }
    }
    return 0;
}
