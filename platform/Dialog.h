// The framework's modeless dialog base. A template id names the dialog; its
// size and caption are given by the subclass (the platform has no templates).
#pragma once
#include "platform/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(int templateId) : m_nTemplateId(templateId) {}
    ~CDialog() override;

    // Creates the window (client size in device pixels) and runs OnInitDialog.
    bool Create(const char* caption, int32_t width, int32_t height, HWND parent);
    virtual bool OnInitDialog();

    int m_nTemplateId;
};
