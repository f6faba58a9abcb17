// Natively there are no windows: every mode initialises the scene and creates nothing.
#include "scene/CCAnimation.h"

CWnd* CCAnimation::Run(int) {
    Initialise(nullptr);
    return nullptr;
}
