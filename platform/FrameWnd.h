// The framework's frame-window base. A frame window owns itself: allocate it
// with new; it deletes itself once its window is destroyed (PostNcDestroy),
// also when Create fails, so never delete it yourself.
#pragma once
#include "platform/Wnd.h"

class CFrameWnd : public CWnd {
public:
    // Fills in the creation parameters, lets PreCreateWindow adjust them,
    // then creates the window (which runs OnCreate). False when it failed;
    // the object is then already deleted.
    bool Create(const char* title, uint32_t style, const PlatRect& rect, HWND parent,
                uint32_t exStyle);
    virtual bool PreCreateWindow(PlatCreateStruct& cs);
    void OnDestroy() override;     // the main window going ends the run loop
    void PostNcDestroy() override; // delete this
};
