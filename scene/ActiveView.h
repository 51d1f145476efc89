// What the maze needs of the running world: its screen (for the shot trace)
// and the camera (for the sky's turn). The world registers itself here while
// it exists, so the maze can be exercised in tests without a frame window.
#pragma once

class CScreen;
class CPose;

// Both null when no world runs. The pointers stay owned by the world.
void SetActiveView(CScreen* pScreen, const CPose* pCamera);
CScreen* GetActiveScreen();
const CPose* GetActiveCamera();
