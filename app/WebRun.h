// Runs in the page (the browser build only): the page's own run files and
// the replay it asks for next. The page unpacks links and dropped files with
// the browser's inflate, so what it writes under /runs/ is a bare body.
#pragma once
#include "app/RunFile.h"
#include <string>

// The record of the page's run file at `path` (a bare body, at most
// kMaxRunBodyBytes). False with one line in *why otherwise.
bool WebReadRunFile(const std::string& path, RunRecord* run, std::string* why);

// The run file the page asks the next game to replay, once WebNextGame has
// given the game's other choices; "" for a game of the player's.
std::string WebNextReplay();
