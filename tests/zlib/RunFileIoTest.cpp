// Runs through files and links: every form a run file may take reads back
// as the run written, a 20-minute game's file and link stay small, and what
// is no run is refused in one line before it can cost memory.
#include "app/RunFileIo.h"
#include "../world/WorldTestKit.h"
#include "platform/LinkCode.h"
#include "platform/WholeFile.h"
#include "platform/zlib/RawDeflate.h"
#include "scene/LevelText.h"
#include "testkit/RunRecords.h"
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes Body(const RunRecord& run) {
    Bytes body;
    std::string error;
    EXPECT_TRUE(MakeRunBody(run, &body, &error)) << error;
    return body;
}

Bytes Framed(const Bytes& body) {
    Bytes file = RawDeflate(body.data(), body.size());
    file.insert(file.begin(), kRunFileMagic, kRunFileMagic + sizeof kRunFileMagic);
    return file;
}

std::string Write(const std::string& folder, const std::string& name, const Bytes& bytes) {
    const std::string path = folder + name;
    EXPECT_TRUE(WriteWholeFile(path.c_str(), bytes)) << path;
    return path;
}

} // namespace

TEST(RunFileIo, EveryFormOfARunReadsBackAsTheRunWritten) {
    const std::string folder = ScratchFolder();
    for (const RunRecord& run : {runtest::SmallRun(), runtest::LongRun()}) {
        const std::string file = folder + "run.qrun";
        std::string error;
        ASSERT_TRUE(WriteRunFile(file, run, &error)) << error;
        Bytes written;
        ASSERT_TRUE(ReadWholeFile(file.c_str(), kMaxRunFileBytes, &written, nullptr));
        EXPECT_EQ(written, Framed(Body(run))) << "the magic, then the body deflated";

        const std::string code = MakeRunCode(run);
        ASSERT_EQ(code[0], kRunCodeFormat);
        const std::string forms[] = {
            file,
            Write(folder, "bare.qrun", Body(run)),
            Write(folder, "code.txt", Text(" \n" + code + "\r\n")),
            Write(folder, "link.txt", Text("https://example.org/quibbo/#run=" + code + "\n")),
        };
        for (const std::string& path : forms) {
            RunRecord back;
            EXPECT_TRUE(ReadRunFile(path, &back, &error)) << path << ": " << error;
            EXPECT_TRUE(back == run) << path;
        }
        for (const std::string& text :
             {code, "\t" + code + " ", "http://127.0.0.1:8000/#run=" + code}) {
            RunRecord back;
            EXPECT_TRUE(ReadRunCode(text, &back, &error)) << error;
            EXPECT_TRUE(back == run);
        }
        if (run.tape.clock.size() > 1000)
            std::printf("run of 20 minutes: body %zu bytes, file %zu bytes, link code %zu "
                        "characters\n",
                        Body(run).size(), written.size(), code.size());
    }
}

TEST(RunFileIo, WhatIsNoRunIsRefusedInOneLine) {
    const std::string folder = ScratchFolder();
    const Bytes body = Body(runtest::SmallRun());
    Bytes changed = body;
    changed[10] ^= 4;
    const std::string code = MakeRunCode(runtest::SmallRun());
    Bytes trailing = Framed(body);
    trailing.push_back(0);
    const Bytes hugeBody(kMaxRunBodyBytes + 1, 'Q');

    const std::string huge = folder + "huge.qrun";
    Write(folder, "huge.qrun", {});
    std::filesystem::resize_file(huge, kMaxRunFileBytes + 1);

    const std::pair<std::string, std::string> cases[] = {
        {folder + "missing.qrun", "there is no such file, or it cannot be read"},
        {folder, "there is no such file, or it cannot be read"},
        {huge, "it is larger than any run (8388609 bytes; at most 8388608)"},
        {Write(folder, "empty", {}), "it is not a Quibbo run"},
        {Write(folder, "picture.bmp", Text("BM whatever")), "it is not a Quibbo run"},
        {Write(folder, "level.txt", Text("http://x/#level=1abc")), "it is not a Quibbo run"},
        {Write(folder, "garbage", Text("QBRZ not deflated")),
         "the run is damaged: the link's code is damaged"},
        {Write(folder, "changed", Framed(changed)), "the run's checksum does not match"},
        {Write(folder, "trailing", trailing), "the run is damaged: the link's code goes on past"},
        {Write(folder, "bomb", Framed(hugeBody)),
         "the run is damaged: the link's code unpacks to more"},
        {Write(folder, "cut.qrun", Bytes(body.begin(), body.end() - 1)), "checksum does not match"},
        {Write(folder, "level-code.txt", Text("#run=1" + code.substr(1))), "not of a format"},
        {Write(folder, "cut-code.txt", Text(code.substr(0, code.size() - 5))), "the link's code"},
    };
    for (const auto& [path, why] : cases) {
        RunRecord run = runtest::SmallRun();
        std::string error;
        EXPECT_FALSE(ReadRunFile(path, &run, &error)) << path;
        EXPECT_NE(error.find(why), std::string::npos) << path << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << path;
        EXPECT_TRUE(run == RunRecord()) << path;
    }

    RunRecord run;
    std::string error;
    EXPECT_FALSE(ReadRunCode("  ", &run, &error));
    EXPECT_EQ(error, "the link has no code");

    RunRecord unrecordable = runtest::SmallRun();
    unrecordable.startLevel = -1;
    EXPECT_EQ(MakeRunCode(unrecordable), "");
    EXPECT_FALSE(WriteRunFile(folder + "bad.qrun", unrecordable, &error));
    EXPECT_NE(error.find("the run cannot be recorded"), std::string::npos) << error;
    EXPECT_FALSE(WriteRunFile(folder + "no/such/folder/run.qrun", runtest::SmallRun(), &error));
    EXPECT_EQ(error, "cannot write beside " + folder +
                         "no/such/folder/run.qrun: No such file or directory");
}
