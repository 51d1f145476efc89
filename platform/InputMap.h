// The desktop's keyboard and gamepads as the handheld's buttons. Keys and pad
// events go in; key messages and the window's own commands (close, full
// screen, screenshot) come out, in order. It knows nothing of SDL, so it can
// be tried without a display: key codes, modifiers, pad buttons and axes
// carry SDL's values, and the SDL backend checks at compile time that they
// agree.
#pragma once
#include "platform/PlatformInternal.h"
#include "platform/PlatformTypes.h"
#include <cstdint>
#include <deque>
#include <map>

// Desktop key codes. A key that types a character has that character's
// code, the lower-case one for letters ('w', '7', ' ', '\r', 27, ...).
enum : int32_t {
    DK_BACKSPACE = 8,
    DK_TAB = 9,
    DK_RETURN = 13,
    DK_ESCAPE = 27,
    DK_SPACE = 32,
    DK_F1 = (1 << 30) | 58,
    DK_F10 = (1 << 30) | 67,
    DK_F11 = (1 << 30) | 68,
    DK_F12 = (1 << 30) | 69,
    DK_PAUSE = (1 << 30) | 72,
    DK_RIGHT = (1 << 30) | 79,
    DK_LEFT = (1 << 30) | 80,
    DK_DOWN = (1 << 30) | 81,
    DK_UP = (1 << 30) | 82,
    DK_KP_ENTER = (1 << 30) | 88,
    DK_LCTRL = (1 << 30) | 224,
    DK_LSHIFT = (1 << 30) | 225,
    DK_RCTRL = (1 << 30) | 228,
    DK_RSHIFT = (1 << 30) | 229,
};

// Modifier bits held with a key.
enum : uint16_t {
    DKMOD_SHIFT = 0x0003,
    DKMOD_CTRL = 0x00C0,
    DKMOD_ALT = 0x0300,
};

// Game-controller buttons and axes, numbered as SDL numbers them.
enum : int {
    PAD_A = 0,
    PAD_B = 1,
    PAD_X = 2,
    PAD_Y = 3,
    PAD_START = 6,
    PAD_LEFTSHOULDER = 9,
    PAD_RIGHTSHOULDER = 10,
    PAD_DPAD_UP = 11,
    PAD_DPAD_DOWN = 12,
    PAD_DPAD_LEFT = 13,
    PAD_DPAD_RIGHT = 14,
};
enum : int {
    PAD_AXIS_LEFTX = 0,       // -32768 (left) ... 32767 (right)
    PAD_AXIS_LEFTY = 1,       // -32768 (up) ... 32767 (down)
    PAD_AXIS_TRIGGERLEFT = 4, // 0 (released) ... 32767 (pressed home)
    PAD_AXIS_TRIGGERRIGHT = 5,
};

// What a key or a pad asks of the program.
struct InputAction {
    enum Kind {
        ACT_MESSAGE,    // post message/wParam/lParam to the window with the focus
        ACT_FULLSCREEN, // toggle desktop full screen
        ACT_SCREENSHOT, // write the frame on screen to a numbered file
    };
    Kind kind;
    uint32_t message; // ACT_MESSAGE: WM_KEYDOWN, WM_KEYUP or WM_CHAR
    uint32_t wParam;  // the key code, or the character
    int32_t lParam;   // 1 for a repeat, else 0
};

class CInputMap {
public:
    // Stick and trigger thresholds, out of 32767: a direction or a trigger
    // comes on past the first and goes off only back inside the second, so
    // a stick held near the edge does not chatter.
    static const int kStickOn = 16384;
    static const int kStickOff = 10923;
    static const int kTriggerOn = 16384;
    static const int kTriggerOff = 8192;
    // A held pad fire button repeats like a held key: first after the delay,
    // then at the interval (milliseconds).
    static const uint32_t kRepeatDelay = 500;
    static const uint32_t kRepeatInterval = 40;

    // A key went down (`repeat`: held down, the keyboard repeats it) or up.
    // The arrows and W, A, S, D are the direction buttons; Q and E, `,` and
    // `.`, and Alt with Left or Right sidestep; Space, Ctrl and
    // Return fire; Escape is the device's Escape (the game asks before it
    // quits); P and Pause are the pause key (VK_PAUSE); F11 and Alt+Return
    // toggle full screen; F12 takes a screenshot. Letters, digits, Tab, Backspace, Shift and F1 to
    // F10 pass on as the device's keys (with their characters); other keys
    // are dropped.
    void Key(int32_t key, uint16_t mod, bool down, bool repeat);

    // Pad events. `pad` tells pads apart (any number, as long as it is
    // unique while the pad is plugged in); `now` is the tick count in ms.
    // The D-pad and the left stick are the direction buttons; A, B, X and Y
    // fire as the action buttons 209 to 212, either trigger as 213; the
    // shoulder buttons sidestep; Start is the pause key.
    void PadButton(int32_t pad, int button, bool down, uint32_t now);
    void PadAxis(int32_t pad, int axis, int32_t value, uint32_t now);
    // The pad went away: whatever it held is released.
    void PadRemoved(int32_t pad);
    // Repeats for the pads' held fire buttons that fell due by `now`.
    void Tick(uint32_t now);

    // The next action, oldest first; false when there is none.
    bool Take(InputAction* action);
    bool Pending() const { return !m_out.empty(); }
    // Carries out every action, oldest first: key messages go to the window
    // with the focus (PlatPostInput), the window's two commands to the
    // backend's own calls.
    template <typename Fullscreen, typename Screenshot>
    void Perform(Fullscreen fullscreen, Screenshot screenshot) {
        InputAction action;
        while (Take(&action)) {
            switch (action.kind) {
            case InputAction::ACT_MESSAGE:
                PlatPostInput(action.message, action.wParam, action.lParam);
                break;
            case InputAction::ACT_FULLSCREEN:
                fullscreen();
                break;
            case InputAction::ACT_SCREENSHOT:
                screenshot();
                break;
            }
        }
    }

private:
    enum { DIR_UP, DIR_DOWN, DIR_LEFT, DIR_RIGHT, DIRS };
    enum { FIRE_A, FIRE_B, FIRE_X, FIRE_Y, FIRE_LT, FIRE_RT, FIRES };
    struct Pad {
        bool dpad[DIRS] = {};
        int stickX = 0; // -1, 0 or 1 after the thresholds
        int stickY = 0;
        bool fire[FIRES] = {};
        bool shoulder[2] = {}; // left, right: sidestep
        bool shown[DIRS] = {}; // the direction as the game last heard it
        int repeating = -1;    // the fire source that repeats, or -1
        uint32_t nextRepeat = 0;
    };

    void Post(uint32_t message, uint32_t wParam, int32_t lParam = 0);
    void Command(InputAction::Kind kind);
    void Directions(Pad& pad);
    void Fire(Pad& pad, int source, bool down, uint32_t now);
    void Shoulder(Pad& pad, int side, bool down);
    static int Axis(int state, int32_t value);

    std::map<int32_t, Pad> m_pads;
    // What each held key went down as: a key comes up as what it went down
    // as, so Left pressed with Alt and let go after Alt stops the sidestep.
    std::map<int32_t, uint32_t> m_keysDown;
    std::deque<InputAction> m_out;
};
