// The SDL2 backend: a sharp, scalable window, keys and gamepads, SDL's
// message boxes and one audio device. Only a program that shows a window
// links it.
#pragma once
#include "platform/Platform.h"

// The maker to hand PlatStartup; null, after one line on standard error,
// when no window can be opened (the line names --headless).
CBackend* SdlMakeBackend(const PlatConfig& config);
