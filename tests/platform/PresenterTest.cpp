// The presenter on a device whose clock moves only when it sleeps or the
// test says so: folding, holding and the frame schedule, to the microsecond.
#include "platform/Presenter.h"
#include "platform/FakeDevice.h"
#include <gtest/gtest.h>
#include <vector>

using plattest::CFakeDevice;

namespace {

const uint64_t kRefresh = 16666; // 60 Hz

struct PresenterTest : ::testing::Test {
    CFakeDevice device;
    CPresenter presenter;
};

} // namespace

TEST_F(PresenterTest, PicturesWithinARefreshFoldIntoTheNextWithoutWaiting) {
    presenter.Start(&device, kRefresh, 0);
    presenter.Show();                       // up at once
    for (int cell = 0; cell < 10; ++cell) { // a shot's trace, 1 ms a cell
        device.now += 1000;
        presenter.Show();
    }
    EXPECT_EQ(device.shownAt.size(), 1u);
    EXPECT_TRUE(device.sleeps.empty()); // a bracket never waits
    presenter.ShowPending();            // the loop looks for input
    ASSERT_EQ(device.shownAt.size(), 2u);
    EXPECT_EQ(device.shownAt[1], device.now);
    presenter.ShowPending(); // nothing more waits
    EXPECT_EQ(presenter.Shows(), 2);

    device.now += kRefresh; // a refresh later, the next one goes straight up
    presenter.Show();
    EXPECT_EQ(presenter.Shows(), 3);
}

TEST_F(PresenterTest, AHeldPictureIsUpForAWholeRefresh) {
    presenter.Start(&device, kRefresh, 0);
    // Eleven steps of a fade, each drawn in no time and held: each goes up
    // a refresh after the last, whatever waited.
    for (int step = 0; step < 11; ++step) {
        presenter.Show();
        presenter.Hold();
    }
    ASSERT_EQ(device.shownAt.size(), 11u);
    for (size_t i = 1; i < device.shownAt.size(); ++i)
        EXPECT_GE(device.shownAt[i] - device.shownAt[i - 1], kRefresh) << i;
    EXPECT_GE(device.now - device.shownAt.back(), kRefresh);
    EXPECT_LT(device.now - device.shownAt.front(), 12 * kRefresh);

    // Where every picture is kept there is nothing to hold.
    CFakeDevice kept;
    presenter.Start(&kept, 0, 0);
    for (int step = 0; step < 11; ++step) {
        presenter.Show();
        presenter.Hold();
    }
    EXPECT_EQ(kept.shownAt.size(), 11u);
    EXPECT_TRUE(kept.sleeps.empty());
}

TEST_F(PresenterTest, FramesKeepAFixedScheduleAndALateOneStartsItAgain) {
    presenter.Start(&device, kRefresh, 50); // 20 ms a frame
    presenter.WaitForFrameSlot();           // the first starts the schedule
    device.now += 5000;                     // a pass of 5 ms
    presenter.WaitForFrameSlot();
    device.now += 25000; // late, but within a frame: no wait, no reset
    presenter.WaitForFrameSlot();
    device.now += 60000; // far behind: the schedule starts again
    presenter.WaitForFrameSlot();
    device.now += 1000;
    presenter.WaitForFrameSlot();
    const std::vector<uint32_t> expected = {0, 15, 0, 0, 19};
    EXPECT_EQ(device.sleeps, expected);
    EXPECT_EQ(presenter.FrameWaits(), 5);

    // A folded picture goes up before the wait; with no frame rate the
    // device still gets its one wait a pass, of nothing.
    CFakeDevice free;
    presenter.Start(&free, kRefresh, 0);
    presenter.Show();
    presenter.Show();
    presenter.WaitForFrameSlot();
    EXPECT_EQ(free.shownAt.size(), 2u);
    EXPECT_EQ(free.sleeps, std::vector<uint32_t>{0});

    // No device: nothing is shown or waited for, and the waits still count.
    presenter.Start(nullptr, kRefresh, 60);
    presenter.Show();
    presenter.Hold();
    presenter.WaitForFrameSlot();
    EXPECT_EQ(presenter.Shows(), 0);
    EXPECT_EQ(presenter.FrameWaits(), 1);
}

// The game's look at the clock after each frame's wait is the frame's slot,
// whatever the wake-up's jitter, so its steps are whole slots; a late frame
// that starts the schedule again never takes the time back; and with no
// schedule (headless, or no frame rate) the time is the device's own.
TEST_F(PresenterTest, AFramesLookAtTheClockIsItsSlot) {
    presenter.Start(&device, kRefresh, 60);
    EXPECT_EQ(presenter.FrameTime(device.now), device.now); // no schedule yet
    presenter.WaitForFrameSlot();
    const int jitter[] = {-900, 300, 2500, -40, 0, 1700, -2000, 600};
    uint64_t last = presenter.FrameTime(device.now);
    for (const int late : jitter) {
        device.now += 4000; // the frame's work
        presenter.WaitForFrameSlot();
        const uint64_t time = presenter.FrameTime(device.now + late);
        EXPECT_EQ(time - last, 16666u) << late;
        last = time;
    }
    device.now += 200000; // far behind: a new schedule on another grid
    presenter.WaitForFrameSlot();
    EXPECT_GE(presenter.FrameTime(device.now - 8000), last);

    presenter.Start(&device, kRefresh, 0);
    presenter.WaitForFrameSlot();
    EXPECT_EQ(presenter.FrameTime(device.now + 777), device.now + 777);
}
