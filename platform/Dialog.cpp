#include "platform/Dialog.h"
#include "platform/WindowSystem.h"

CDialog::~CDialog() {
    if (m_hWnd)
        DestroyWindow();
}

bool CDialog::Create(const char* caption, int32_t width, int32_t height, HWND parent) {
    const PlatRect rect = {0, 0, width, height};
    if (!PlatCreateWindow(this, caption, 0, 0, rect, parent))
        return false;
    OnInitDialog();
    return m_hWnd != nullptr;
}

bool CDialog::OnInitDialog() {
    return true;
}
