#include "app/CCAnimationWnd.h"
#include "app/IdleRedrawList.h"

namespace {
void RedrawNow(CCAnimationWnd* window) {
    if (window->m_hWnd) {
        window->RedrawWindow(nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW);
    }
}
} // namespace

IdleRedrawList& TheIdleRedrawList() {
    static IdleRedrawList list(&RedrawNow);
    return list;
}
