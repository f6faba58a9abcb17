// Natively there are no windows: every mode initialises the scene and creates nothing.
#include "app/CubeAnimation.h"

CWnd* CCAnimation::Run(int) {
    Initialise(nullptr);
    return nullptr;
}

CWnd* CubeAnimation::Configure(CWnd* owner) {
    Initialise(owner);
    return nullptr;
}

CWnd* CubeAnimation::Preview(HWND) {
    Initialise(nullptr);
    return nullptr;
}
