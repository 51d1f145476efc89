#include "app/RunFileIo.h"
#include "platform/Files.h"
#include "platform/LinkCode.h"
#include "platform/WholeFile.h"
#include "platform/zlib/RawDeflate.h"
#include "scene/LevelText.h"
#include <cstring>
#include <vector>

namespace {

bool Refuse(RunRecord* run, std::string* error, const std::string& why) {
    *run = RunRecord();
    if (error)
        *error = why;
    return false;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The code of a link or of a code alone, and whether the text looks like
// either at all.
bool CodeOf(std::string_view text, std::string_view* code) {
    const size_t mark = text.find(kRunLinkMark);
    if (mark != std::string_view::npos)
        text = text.substr(mark + sizeof kRunLinkMark - 1);
    *code = Trimmed(text);
    return mark != std::string_view::npos || (!code->empty() && (*code)[0] == kRunCodeFormat);
}

bool StartsWith(const std::vector<uint8_t>& bytes, const uint8_t* what, size_t size) {
    return bytes.size() >= size && std::memcmp(bytes.data(), what, size) == 0;
}

} // namespace

bool WriteRunFile(const std::string& path, const RunRecord& run, std::string* error) {
    std::vector<uint8_t> body;
    if (!MakeRunBody(run, &body, error))
        return false;
    std::vector<uint8_t> file = RawDeflate(body.data(), body.size());
    file.insert(file.begin(), kRunFileMagic, kRunFileMagic + sizeof kRunFileMagic);
    return PlatReplaceFile(path, file, error);
}

bool ReadRunFile(const std::string& path, RunRecord* run, std::string* error) {
    uint64_t size = 0;
    if (!PlatGetFileSize(path.c_str(), &size))
        return Refuse(run, error, "there is no such file, or it cannot be read");
    if (size > kMaxRunFileBytes)
        return Refuse(run, error,
                      "it is larger than any run (" + std::to_string(size) + " bytes; at most " +
                          std::to_string(kMaxRunFileBytes) + ")");
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path.c_str(), kMaxRunFileBytes, &bytes, nullptr, true))
        return Refuse(run, error, "it cannot be read");
    if (StartsWith(bytes, kRunFileMagic, sizeof kRunFileMagic)) {
        std::vector<uint8_t> body;
        std::string why;
        if (!RawInflate(bytes.data() + sizeof kRunFileMagic, bytes.size() - sizeof kRunFileMagic,
                        kMaxRunBodyBytes, &body, &why))
            return Refuse(run, error, "the run is damaged: " + why);
        return ReadRunBody(body.data(), body.size(), run, error);
    }
    if (StartsWith(bytes, kRunBodyTag, sizeof kRunBodyTag))
        return ReadRunBody(bytes.data(), bytes.size(), run, error);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string_view code;
    if (!CodeOf(text, &code))
        return Refuse(run, error, "it is not a Quibbo run");
    return ReadRunCode(text, run, error);
}

std::string MakeRunCode(const RunRecord& run) {
    std::vector<uint8_t> body;
    if (!MakeRunBody(run, &body, nullptr))
        return "";
    std::string code = MakeDeflatedLinkCode(kRunCodeFormat, body.data(), body.size());
    return code.size() <= kMaxLinkCodeChars ? code : "";
}

bool ReadRunCode(std::string_view linkOrCode, RunRecord* run, std::string* error) {
    std::string_view code;
    CodeOf(linkOrCode, &code);
    std::vector<uint8_t> body;
    std::string why;
    if (!ReadDeflatedLinkCode(code, kRunCodeFormat, kMaxRunBodyBytes, &body, &why))
        return Refuse(run, error, why);
    return ReadRunBody(body.data(), body.size(), run, error);
}
