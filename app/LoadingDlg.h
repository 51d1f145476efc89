// The loading screen: the title picture on pure red, full screen, shown
// while the world is built.
#pragma once
#include "platform/Dialog.h"

class CLoadingDlg : public CDialog {
public:
    CLoadingDlg();
    ~CLoadingDlg() override; // destroys the window if it still exists

    // Creates the dialog without a parent; its initialisation shows it full
    // screen and paints it before returning.
    bool Create();
    bool OnInitDialog() override;
    // Pure red over the whole client area, the title picture at its top left.
    void OnPaint() override;

    int32_t m_nIcon = 0; // the program's icon resource, 0 when it has none
};
