// Runs fuzz inputs through a fuzz target without libFuzzer, so that every
// build (g++ included) replays the committed seeds as an ordinary test, and a
// crash file found by a fuzzer can be rerun under a debugger.
//
// Usage: <target>_replay FILE_OR_DIR...   (directories: every file in them,
// in name order). Each input sits in a heap block of exactly its size, so a
// sanitizer build sees a read one byte past the end.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool ReadFile(const std::filesystem::path& path, std::vector<uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool RunOne(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    if (!ReadFile(path, &bytes)) {
        std::fprintf(stderr, "replay: cannot read %s\n", path.string().c_str());
        return false;
    }
    // new[] of the exact length; an empty input still gets a valid pointer.
    std::unique_ptr<uint8_t[]> block(new uint8_t[bytes.empty() ? 1 : bytes.size()]);
    if (!bytes.empty())
        std::memcpy(block.get(), bytes.data(), bytes.size());
    LLVMFuzzerTestOneInput(block.get(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_DIR...\n", argv[0]);
        return 2;
    }
    int inputs = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg = argv[i];
        std::error_code error;
        if (std::filesystem::is_directory(arg, error)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(arg, error))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            if (files.empty()) {
                std::fprintf(stderr, "replay: no inputs in %s\n", argv[i]);
                ok = false;
            }
            for (const auto& file : files) {
                ok = RunOne(file) && ok;
                ++inputs;
            }
        } else {
            ok = RunOne(arg) && ok;
            ++inputs;
        }
    }
    std::printf("replay: %d inputs run\n", inputs);
    return ok ? 0 : 1;
}
