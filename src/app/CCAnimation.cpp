#include "app/CCAnimation.h"

IMPLEMENT_DYNAMIC(CCAnimation, CObject)

void CCAnimation::SetParameter(DWORD) {}
