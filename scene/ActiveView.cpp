#include "scene/ActiveView.h"

namespace {
CScreen* g_pActiveScreen = nullptr;
const CPose* g_pActiveCamera = nullptr;
}

void SetActiveView(CScreen* pScreen, const CPose* pCamera) {
    g_pActiveScreen = pScreen;
    g_pActiveCamera = pCamera;
}

CScreen* GetActiveScreen() { return g_pActiveScreen; }
const CPose* GetActiveCamera() { return g_pActiveCamera; }
