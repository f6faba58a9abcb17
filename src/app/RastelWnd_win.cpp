#include "app/RastelWnd.h"

#include "app/ReportError.h"
#include "app/Resource.h"
#include "app/WindowRegion.h"
#include "render/region/RastelRegion.h"

IMPLEMENT_DYNAMIC(RastelWnd, CWnd)

BEGIN_MESSAGE_MAP(RastelWnd, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_MESSAGE(WM_DISPLAYCHANGE, OnDisplayChange)
ON_WM_PALETTECHANGED()
ON_WM_QUERYNEWPALETTE()
END_MESSAGE_MAP()

RastelWnd::RastelWnd(int regionOption) : m_regionOption(regionOption) {}

RastelWnd::~RastelWnd() {
    delete m_region;
}

void RastelWnd::GetDrawRect(RECT* rect) {
    GetClientRect(rect);
}

RastelRegion* RastelWnd::CreateRegion() {
    RECT rect;
    GetDrawRect(&rect);
    RastelRegion* region = NewWindowRegion(m_regionOption);
    if (region && region->Init(this, &rect)) {
        return region;
    }
    delete region;
    if (!m_region) {
        ReportError(IDS_NOMEMORY);
    }
    return nullptr;
}

int RastelWnd::OnCreate(LPCREATESTRUCT) {
    if (Default() == -1) {
        return -1;
    }
    m_region = CreateRegion();
    return m_region ? 0 : -1;
}

void RastelWnd::OnDestroy() {
    delete m_region;
    m_region = nullptr;
    Default();
}

// The display format changed: the region's bitmap format may no longer match it.
LRESULT RastelWnd::OnDisplayChange(WPARAM, LPARAM) {
    delete m_region;
    m_region = nullptr;
    m_region = CreateRegion();
    return 0;
}

void RastelWnd::OnPaletteChanged(CWnd* focusWnd) {
    if ((!focusWnd || focusWnd->m_hWnd != m_hWnd) && m_region) {
        m_region->RealizePalette();
    }
}

BOOL RastelWnd::OnQueryNewPalette() {
    return m_region ? m_region->RealizePalette() : FALSE;
}
