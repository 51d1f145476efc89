// The browser backend: the page's canvas, its keys, touch buttons and
// gamepads as the device's buttons, an in-page box and Web Audio. The page
// (web/index.html with web/page.js) holds the JavaScript half.
#pragma once
#include "platform/Platform.h"
#include <string>

// The maker to hand PlatStartup in a page. A scripted run (--headless) plays
// exactly as the headless backend plays it, virtual clock and all, and is
// shown on the canvas as it goes. Null where there is no page (under node),
// so the caller falls back to the plain headless backend.
CBackend* WebMakeBackend(const PlatConfig& config);

// A game ended with `status`. In a page this waits, with the page showing
// its end state, until the player starts another game, and gives the level
// folder for it ("" for the game's own levels) in *levelsDir and the level
// to start at (0 the first) in *startLevel; levels dropped onto the page
// during a game start the next one at once. False where there is no page:
// the program ends as on the desktop.
bool WebNextGame(int status, std::string* levelsDir, int* startLevel);

// The run file the page asks the next game to replay, once WebNextGame has
// given the game's other choices; "" for a game of the player's.
std::string WebNextReplay();

// The folder key scripts may come from (COptions::m_strKeyScriptFolder).
// In a page the address is anyone's to write: a script may come only from
// the files the page itself made, never from its devices (/dev/urandom
// never ends; /dev/stdin would open a prompt). "" under node, where the
// files are the machine's, as natively.
std::string WebKeyScriptFolder();
