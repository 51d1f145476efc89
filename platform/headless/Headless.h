// Controls of the headless backend, for tests, tools and scripted runs.
// Everything is exact and repeatable: the clock is virtual, keys come from a
// script and message boxes from a list of answers.
#pragma once
#include "platform/Framebuffer.h"
#include "platform/GX.h"
#include "platform/Platform.h"
#include <string>
#include <vector>

struct HeadlessDisplay {
    int32_t width = kScreenWidth; // framebuffer size in pixels
    int32_t height = kScreenHeight;
    int32_t bitsPerPixel = kScreenBitsPerPixel;
    uint32_t format = kScreenFormat;
    int32_t xPitch = 0; // 0: natural (bpp / 8); may be negative
    int32_t yPitch = 0; // 0: natural (width * |xPitch|); may be negative
    PlatPoint clientOrigin = {0, 0};
    int32_t clientWidth = kScreenWidth; // the frame window's client area
    int32_t clientHeight = kScreenHeight;
};

// The maker to hand PlatStartup: the one headless backend, reset (default
// display), with the step, key script and answers of `config`. It stays
// after PlatShutdown, so what a run left behind can still be read here.
CBackend* HeadlessMakeBackend(const PlatConfig& config);

// Makes the headless backend the running one and resets it: display, clock
// (0, step 16 ms), idle passes, frame limit, script, answers, log, focus,
// the sound (not muted) and the window system (windows are forgotten, their
// owners' handles cleared; queued messages and a pending quit are dropped).
// False when the display cannot be laid out (see CFramebuffer::Configure);
// the default display is used then.
bool HeadlessReset(const HeadlessDisplay& display = HeadlessDisplay());

// Key script: the events of frame F are queued, in order, to the window with
// the focus just before idle pass F (counted from 1) runs; with no focus
// they are lost, as keys pressed in another program are. When the run loop
// waits for a message and events are still scripted, the passes up to the
// next scripted frame go by without running (the clock moves on by a step
// for each) and that frame's events arrive.
void HeadlessAddKey(int frame, uint32_t message, uint32_t vk, int32_t lParam = 0);
// Answers to OK + Cancel and Yes + No boxes, in order (IDOK and IDYES both
// say go on, IDCANCEL and IDNO both say no); IDCANCEL or IDNO once the list
// runs out. An OK-only box answers IDOK and takes nothing from the list.
void HeadlessAddAnswer(int32_t answer);
// The virtual clock moves on by `ms` as each idle pass starts (and by the
// length of every PlatSleep).
void HeadlessSetStep(uint32_t ms);
// The run ends (quit, exit code 0) after this many idle passes; 0: no limit.
void HeadlessSetFrameLimit(int frames);
void HeadlessSetClock(uint32_t ms); // for tests of the wrap
int HeadlessIdlePasses();           // idle passes run (or gone by) so far
// Gives the focus to a window, or to nothing (another program has it).
void HeadlessSetFocus(HWND hwnd);

// The message boxes shown so far.
struct HeadlessBox {
    std::string text;
    std::string caption;
    uint32_t type;
    int32_t answer;
};
const std::vector<HeadlessBox>& HeadlessMessageBoxes();
// Forgets them, so that a long run that has looked at them holds none.
void HeadlessClearMessageBoxes();

// One line per platform call that matters to the game's contracts:
// every GX call by name ("GXOpenDisplay 0" with its flags), "Sleep 500",
// "SHFullScreen 2", "SHInitDialog 1 16" (mask, flags), "SipShowIM 0",
// "ShowWindow 5", "SetExStyle 8", "Invalidate", "FillClient 0x000000",
// "MessageBox <text>", "PlayWave 141" ("PlayWave 141 muted" when the sound
// is off), "Pause 1", "PostQuitMessage -1",
// "CreateWindow <title>", "DestroyWindow <title>", and "Input 256 38
// dropped: no focus" for a scripted key nobody could take. Numbers are
// decimal except FillClient's colour value.
const std::vector<std::string>& HeadlessCallLog();
void HeadlessClearLog();

// The framebuffer's memory block and the address of pixel (0, 0) in it.
const std::vector<uint8_t>& HeadlessFramebufferMemory();
const uint8_t* HeadlessFramebufferOrigin();
int HeadlessPresentCount(); // GXEndDraw calls that closed a bracket
// Times the run loop waited for a frame slot: once per idle pass run, and
// never while a pass or a message is being handled.
int HeadlessFrameWaits();
// The last wave id asked for with PlatPlayWave, 0 if none; whether the
// resource exists does not matter (the call is what is recorded).
int HeadlessLastWave();
