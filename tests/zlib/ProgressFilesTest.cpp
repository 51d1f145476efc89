// Progress on disk: progress.json in its folder, made when missing, replaced
// whole; a damaged file set aside under a name of its own, never over
// another; the best run kept as a run's code.
#include "app/ProgressFiles.h"
#include "../world/WorldTestKit.h"
#include "app/RunFileIo.h"
#include "platform/WholeFile.h"
#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string Text(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(path.c_str(), 1 << 20, &bytes, nullptr));
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(ProgressFiles, KeepsTheFileWholeAndSetsDamageAside) {
    const std::string scratch = ScratchFolder();
    CProgressFiles files(scratch + "data/quibbo/");
    std::vector<uint8_t> bytes;
    bool missing = false;
    std::string why;
    EXPECT_FALSE(files.Read(&bytes, &missing, &why));
    EXPECT_TRUE(missing);

    const std::vector<uint8_t> first = {'{', '}'};
    ASSERT_TRUE(files.Write(first, &why)) << why;
    ASSERT_TRUE(files.Read(&bytes, &missing, &why)) << why;
    EXPECT_EQ(bytes, first);
    EXPECT_EQ(files.Where(), scratch + "data/quibbo/progress.json");

    std::string where;
    ASSERT_TRUE(files.KeepAside(&where, &why)) << why;
    EXPECT_EQ(where, scratch + "data/quibbo/progress-damaged-1.json");
    EXPECT_EQ(Text(where), "{}");
    EXPECT_FALSE(files.Read(&bytes, &missing, &why));
    EXPECT_TRUE(missing);
    ASSERT_TRUE(files.Write({'x'}, &why)) << why;
    ASSERT_TRUE(files.KeepAside(&where, &why)) << why;
    EXPECT_EQ(where, scratch + "data/quibbo/progress-damaged-2.json");
    EXPECT_EQ(Text(scratch + "data/quibbo/progress-damaged-1.json"), "{}");

    // A folder in the file's place is unreadable, not missing.
    std::filesystem::create_directory(files.Where());
    EXPECT_FALSE(files.Read(&bytes, &missing, &why));
    EXPECT_FALSE(missing);
    EXPECT_FALSE(why.empty());

    CProgressFiles homeless("");
    EXPECT_FALSE(homeless.Read(&bytes, &missing, &why));
    EXPECT_TRUE(missing);
    EXPECT_FALSE(homeless.Write(first, &why));

    RunRecord run;
    run.seed = 42;
    run.startLevel = 3;
    run.levels.builtinFirst = true; // no QB00.BMP: the built-in level first
    run.levels.builtinCrc = 5;
    RunRecord back;
    ASSERT_TRUE(ReadRunCode(files.RunCode(run), &back, &why)) << why;
    EXPECT_TRUE(back == run);
    std::filesystem::remove_all(scratch);
}
