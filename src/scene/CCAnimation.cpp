#include "scene/CCAnimation.h"

IMPLEMENT_DYNAMIC(CCAnimation, CObject)

void CCAnimation::SetParameter(DWORD) {}
