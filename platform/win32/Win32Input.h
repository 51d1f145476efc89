// What the Win32 device reports, turned into the game's input, and where the
// picture goes in the window. Nothing here calls Windows, so it is tried on
// any build of the tests for Windows.
#pragma once
#include "platform/InputMap.h"
#include "platform/win32/Win32Device.h"

// The input map's key for a Windows virtual key, or 0 for a key it drops.
int32_t Win32DesktopKey(const Win32Event& key);
// A key event, with its modifiers, to the input map.
void Win32FeedKey(CInputMap& map, const Win32Event& key);
// What changed on pad `index` between two looks, to the input map; a pad that
// went away releases what it held.
void Win32FeedPad(CInputMap& map, int index, const Win32Pad& was, const Win32Pad& now, uint32_t ms);
