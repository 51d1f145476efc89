// What the core does once for every device, tried on a fake one: a box's
// type read into the buttons and sign the device shows, the screenshot
// key's file and its one line, and the waves at the volume.
#include "platform/FakeDevice.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Resources.h"
#include "platform/Sound.h"
#include "platform/Wave.h"
#include "platform/WindowSystem.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

using plattest::CFakeDevice;

namespace {

struct DeviceServices : ::testing::Test {
    void SetUp() override {
        HeadlessReset();
        device.framebuffer.ConfigureScreen();
        PlatSetBackend(&device);
    }
    void TearDown() override { HeadlessReset(); }
    CFakeDevice device;
};

} // namespace

TEST_F(DeviceServices, BoxTypesReachTheDeviceDecoded) {
    device.answer = IDNO;
    EXPECT_EQ(IDNO, PlatMessageBox(nullptr, "Quit Quibbo?", "Quibbo", MB_YESNO | MB_ICONQUESTION));
    PlatMessageBox(nullptr, "GAME OVER", nullptr, MB_OKCANCEL | MB_ICONINFORMATION);
    PlatMessageBox(nullptr, nullptr, "", MB_OK);
    PlatMessageBox(nullptr, "?", "Title", 0x2); // abort, retry, ignore: asked of no device
    ASSERT_EQ(4u, device.boxes.size());
    EXPECT_EQ(EBoxButtons::YesNo, device.boxes[0].buttons);
    EXPECT_EQ(EBoxSign::Question, device.boxes[0].sign);
    EXPECT_EQ(EBoxButtons::OkCancel, device.boxes[1].buttons);
    EXPECT_EQ(EBoxSign::Information, device.boxes[1].sign);
    // A box without a caption carries the game's name; text is never null.
    EXPECT_EQ("Quibbo", device.boxes[1].caption);
    EXPECT_EQ("Quibbo", device.boxes[2].caption);
    EXPECT_EQ("", device.boxes[2].text);
    EXPECT_EQ(EBoxButtons::Ok, device.boxes[2].buttons);
    EXPECT_EQ(EBoxSign::None, device.boxes[2].sign);
    EXPECT_EQ(EBoxButtons::Ok, device.boxes[3].buttons);
    EXPECT_EQ("Title", device.boxes[3].caption);
}

TEST(DeviceBox, AnswersPerButtonSetAndTheTypeForARecord) {
    const struct {
        uint32_t type;
        int32_t first, second, dismissed;
    } cases[] = {
        {MB_OK, IDOK, IDOK, IDOK},
        {MB_OKCANCEL | MB_ICONINFORMATION, IDOK, IDCANCEL, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, IDYES, IDNO, IDNO},
    };
    for (const auto& c : cases) {
        const PlatBox box = PlatDecodeBox("", "", c.type);
        EXPECT_EQ(c.first, PlatBoxAnswer(box.buttons, true)) << c.type;
        EXPECT_EQ(c.second, PlatBoxAnswer(box.buttons, false)) << c.type;
        EXPECT_EQ(c.dismissed, PlatBoxDismissed(box.buttons)) << c.type;
        EXPECT_EQ(c.type, PlatBoxType(box));
    }
}

TEST_F(DeviceServices, ScreenshotSaysTheSameLineWhereverItGoes) {
    const std::string folder =
        testing::TempDir() + "quibbo_take_" + std::to_string(::getpid()) + "/";
    ASSERT_TRUE(PlatMakeFolders(folder));
    std::string path = "unchanged";

    // Nothing on the screen yet: no file, and the line says where it failed.
    testing::internal::CaptureStderr();
    std::string line = PlatTakeScreenshot(folder, &path);
    std::string said = testing::internal::GetCapturedStderr();
#ifndef __EMSCRIPTEN__ // node writes stderr past the descriptor GoogleTest captures
    EXPECT_EQ("quibbo: " + line + "\n", said);
#endif
    EXPECT_EQ("cannot write a screenshot in " + folder, line);
    EXPECT_EQ("", path);

    device.framebuffer.MarkShown();
    testing::internal::CaptureStderr();
    line = PlatTakeScreenshot(folder, &path);
    said = testing::internal::GetCapturedStderr();
#ifndef __EMSCRIPTEN__
    EXPECT_EQ("quibbo: " + line + "\n", said);
#endif
    EXPECT_EQ("screenshot saved as " + path, line);
    // In full, as the game may have been started from anywhere.
    EXPECT_TRUE(std::filesystem::path(path).is_absolute()) << path;
    EXPECT_EQ("quibbo-001.bmp", std::filesystem::path(path).filename().string());
    EXPECT_TRUE(std::filesystem::is_regular_file(path));

    // No folder could be made; a folder's name cannot break the line.
    EXPECT_EQ("cannot write a screenshot in the pictures or data folder",
              PlatTakeScreenshot("", &path));
    EXPECT_EQ("", path);
    EXPECT_EQ("cannot write a screenshot in " + folder + "a\\nb/",
              PlatTakeScreenshot(folder + "a\nb/", nullptr));
    std::filesystem::remove_all(folder);
}

// The device gets each wave as the volume makes it: the resource's own bytes
// at the full volume, else a scaled copy kept for good (a device may still
// be playing it), the same bytes each time it plays at that volume.
TEST_F(DeviceServices, WavesReachTheDeviceAtTheVolume) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(PlatFindResource(IDW_SHOT, PLAT_RT_WAVE, &data, &size));
    std::vector<uint8_t> quiet;
    ASSERT_TRUE(PlatScaleWave(data, size, 3, &quiet));
    PlatSetMuted(false);
    for (const int volume : {kMaxVolume, 3, 3, kMaxVolume}) {
        PlatSetVolume(volume);
        PlatPlayWave(IDW_SHOT);
    }
    PlatSetVolume(kMaxVolume);
    ASSERT_EQ(device.waves.size(), 4u);
    EXPECT_EQ(device.waves[0].data, data);
    EXPECT_EQ(device.waves[3].data, data);
    EXPECT_EQ(device.waves[1].data, device.waves[2].data);
    ASSERT_EQ(device.waves[1].size, size);
    EXPECT_TRUE(std::equal(quiet.begin(), quiet.end(), device.waves[1].data));
    EXPECT_FALSE(quiet == std::vector<uint8_t>(data, data + size));
}
