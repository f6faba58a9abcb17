#include "app/CCAnimation.h"

IMPLEMENT_DYNAMIC(CCAnimation, CObject)

void CCAnimation::SetParameter(DWORD) {}

BOOL CCAnimation::PrepareScreens(int count) {
    return count <= 1;
}

CCAnimationView* CCAnimation::CreateScreenView(int screen, const RECT* client) {
    return screen == 0 ? CreateView(client) : nullptr;
}

void CCAnimation::DrawScreen(int screen, RastelRegion* region, CCAnimationView* view) {
    if (screen == 0) {
        Draw(region, view);
    }
}
