// The framework's window base. The platform delivers every message of a
// window to its owner's WindowProc, which routes it to the handlers below.
#pragma once
#include "platform/PlatformTypes.h"

struct PlatCreateStruct {
    const char* title;
    uint32_t style;
    uint32_t exStyle;
    PlatRect rect;
    HWND parent;
};

class CWnd {
public:
    CWnd() = default;
    // A window still alive when its owner is deleted is removed silently.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Called by the run loop before dispatching; true consumes the message.
    virtual bool PreTranslateMessage(PlatMsg* msg);
    // Routes WM_CREATE, WM_PAINT, WM_CLOSE, WM_DESTROY to the handlers.
    virtual int32_t WindowProc(uint32_t message, uint32_t wParam, int32_t lParam);

    virtual int OnCreate(PlatCreateStruct* cs); // 0, or -1 to fail creation
    virtual void OnPaint();
    virtual void OnClose(); // default: DestroyWindow
    virtual void OnDestroy();

    // Last call for a window, after WM_DESTROY, when its handle is gone.
    virtual void PostNcDestroy();

    void DestroyWindow();
    HWND GetSafeHwnd() const { return m_hWnd; }

    HWND m_hWnd = nullptr;
    PlatCreateStruct* m_pCreating = nullptr; // valid during WM_CREATE only
};
