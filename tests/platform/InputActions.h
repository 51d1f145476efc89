// What an input map asked for, as short lines ("down 38", "up 209",
// "repeat 209", "char 13", "fullscreen", "screenshot"), so a test
// can compare a whole sequence at once.
#pragma once
#include "platform/InputMap.h"
#include <string>
#include <vector>

namespace plattest {

inline std::vector<std::string> TakeActions(CInputMap& map) {
    std::vector<std::string> lines;
    InputAction action;
    while (map.Take(&action)) {
        switch (action.kind) {
        case InputAction::ACT_MESSAGE: {
            std::string what = action.message == WM_KEYUP  ? "up"
                               : action.message == WM_CHAR ? "char"
                               : action.lParam             ? "repeat"
                                                           : "down";
            if (action.message == WM_CHAR && action.lParam)
                what += "-repeat";
            lines.push_back(what + " " + std::to_string(action.wParam));
            break;
        }
        case InputAction::ACT_FULLSCREEN:
            lines.push_back("fullscreen");
            break;
        case InputAction::ACT_SCREENSHOT:
            lines.push_back("screenshot");
            break;
        }
    }
    return lines;
}

} // namespace plattest
