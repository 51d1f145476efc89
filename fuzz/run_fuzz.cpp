// Recorded runs as a stranger might hand them over. The first byte picks
// what the rest is (byte % 4):
//   0  the text of a run link or of a code alone
//   1  the bytes of a run file: deflated behind its magic, a bare body, or
//      the text of a link or code
//   2  a raw deflate stream of a body
//   3  a body's fields without the tag, version and check sum, which are
//      added here, so that the fuzzer gets past the sum to the fields
//
// Whatever is read must come back: made again, it is the very body read
// (each record has one body), and its body, code and file read back as the
// same record. What is refused is refused in one line, leaving no record.
#include "FuzzSupport.h"
#include "app/RunFile.h"
#include "app/RunFileIo.h"
#include "platform/LinkCode.h"
#include "platform/zlib/RawDeflate.h"
#include <string>
#include <vector>

namespace {

bool Refused(bool read, const RunRecord& run, const std::string& error) {
    if (read)
        return false;
    FUZZ_CHECK(!error.empty(), "a refused run says why");
    FUZZ_CHECK(error.find('\n') == std::string::npos, "a refusal is one line");
    FUZZ_CHECK(run == RunRecord(), "a refused run leaves no record");
    return true;
}

// A deflated file of a few kilobytes unpacks to a clock of millions of
// looks, and under the sanitizers each pass over them takes most of a
// second: such a record goes through its body alone, not also through its
// code and file.
const size_t kWholeRoundTripLooks = size_t(1) << 20;

// A record that was read: its body, code and file give it back.
void ComesBack(const RunRecord& run, const std::vector<uint8_t>* body) {
    std::vector<uint8_t> again;
    std::string error;
    FUZZ_CHECK(MakeRunBody(run, &again, &error), "a record read can be made again");
    if (body)
        FUZZ_CHECK(again == *body, "a record's body is the body it was read from");
    RunRecord back;
    FUZZ_CHECK(ReadRunBody(again.data(), again.size(), &back, &error), "a made body reads");
    FUZZ_CHECK(back == run, "a made body reads as its record");
    if (run.tape.clock.size() > kWholeRoundTripLooks)
        return;

    const std::string code = MakeRunCode(run);
    if (!code.empty()) {
        back = RunRecord();
        FUZZ_CHECK(ReadRunCode(code, &back, &error), "a record's code reads");
        FUZZ_CHECK(back == run, "a record's code reads as the record");
    }
    static const std::string path = fuzz::ScratchPath("run.qrun");
    FUZZ_CHECK(WriteRunFile(path, run, &error), "a record's file is written");
    back = RunRecord();
    FUZZ_CHECK(ReadRunFile(path, &back, &error), "a record's file reads");
    FUZZ_CHECK(back == run, "a record's file reads as the record");
}

void Body(const std::vector<uint8_t>& body) {
    RunRecord run;
    std::string error;
    if (!Refused(ReadRunBody(body.data(), body.size(), &run, &error), run, error))
        ComesBack(run, &body);
}

void Deflated(const uint8_t* data, size_t size) {
    std::vector<uint8_t> body;
    std::string error;
    if (!RawInflate(data, size, kMaxRunBodyBytes, &body, &error)) {
        FUZZ_CHECK(body.empty() && !error.empty(), "a refused stream gives nothing, and why");
        return;
    }
    Body(body);
}

void Code(const std::string& text) {
    RunRecord run;
    std::string error;
    if (!Refused(ReadRunCode(text, &run, &error), run, error))
        ComesBack(run, nullptr);
}

void File(const uint8_t* data, size_t size) {
    static const std::string path = fuzz::ScratchPath("input.qrun");
    FUZZ_CHECK(fuzz::WriteFile(path, data, size), "the input's file is written");
    RunRecord run;
    std::string error;
    if (!Refused(ReadRunFile(path, &run, &error), run, error))
        ComesBack(run, nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    switch (data[0] % 4) {
    case 0:
        Code(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
        break;
    case 1:
        File(data + 1, size - 1);
        break;
    case 2:
        Deflated(data + 1, size - 1);
        break;
    default: {
        std::vector<uint8_t> body(kRunBodyTag, kRunBodyTag + sizeof kRunBodyTag);
        body.push_back(kRunFormatVersion);
        body.insert(body.end(), data + 1, data + size);
        const uint32_t crc = Crc32(body.data(), body.size());
        for (int i = 0; i < 4; ++i)
            body.push_back(static_cast<uint8_t>(crc >> (8 * i)));
        Body(body);
        break;
    }
    }
    return 0;
}
