// The sign the platform draws over the picture while the game is paused.
#pragma once
#include "platform/Framebuffer.h"

// The word PAUSED in yellow on a black plate, centred in `area` (screen
// coordinates, clipped to the framebuffer).
void DrawPausedSign(CFramebuffer& framebuffer, const PlatRect& area);
