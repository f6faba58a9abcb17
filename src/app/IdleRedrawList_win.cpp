#include "app/CCAnimationWnd.h"
#include "app/IdleRedrawList.h"

namespace {
void RedrawNow(CCAnimationWnd* window) {
    if (window->m_hWnd) {
        window->DrawFrame();
    }
}
} // namespace

IdleRedrawList& TheIdleRedrawList() {
    static IdleRedrawList list(&RedrawNow);
    return list;
}
