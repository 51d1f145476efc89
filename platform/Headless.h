// Controls of the headless backend, for tests, tools and scripted runs.
// Everything is exact and repeatable: the clock is virtual, keys come from a
// script and message boxes from a list of answers.
#pragma once
#include "platform/GX.h"
#include <string>
#include <vector>

struct HeadlessDisplay {
    int32_t width = 240;          // framebuffer size in pixels
    int32_t height = 320;
    int32_t bitsPerPixel = 16;
    uint32_t format = kfDirect565;
    int32_t xPitch = 0;           // 0: natural (bpp / 8); may be negative
    int32_t yPitch = 0;           // 0: natural (width * |xPitch|); may be negative
    PlatPoint clientOrigin = {0, 0};
    int32_t clientWidth = 240;    // the frame window's client area
    int32_t clientHeight = 320;
};

// Resets the headless state (display, clock, script, answers, log).
void HeadlessReset(const HeadlessDisplay& display = HeadlessDisplay());

// Key script: the events of frame F are queued, in order, just before idle
// pass F (counted from 1) runs.
void HeadlessAddKey(int frame, uint32_t message, uint32_t vk);
// Answers to message boxes, in order; IDCANCEL once the list runs out.
void HeadlessAddAnswer(int32_t answer);
void HeadlessSetStep(uint32_t ms);
void HeadlessSetFrameLimit(int frames);
void HeadlessSetClock(uint32_t ms);       // for tests of the wrap
int HeadlessIdlePasses();                  // idle passes run so far
// Gives the focus to a window, or to nothing (another program has it).
void HeadlessSetFocus(HWND hwnd);

// One line per platform call that matters to the game's contracts,
// e.g. "GXOpenInput", "SHFullScreen 2", "Sleep 500", "MessageBox GAME OVER...".
const std::vector<std::string>& HeadlessCallLog();
void HeadlessClearLog();

// The framebuffer's memory block and the address of pixel (0, 0) in it.
const std::vector<uint8_t>& HeadlessFramebufferMemory();
const uint8_t* HeadlessFramebufferOrigin();
int HeadlessPresentCount();                // GXEndDraw calls so far
int HeadlessLastWave();                    // last wave id started, 0 if none
