// INTERIM: the drawing region's base class, linked only until the renderer provides
// src/render/RastelRegion.cpp. It keeps the window, origin and rectangle and draws nothing.
#include "render/RastelRegion.h"

IMPLEMENT_DYNAMIC(RastelRegion, CObject)

namespace {
int ScreenDepth() {
    const HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return depth;
}
} // namespace

RastelRegion::RastelRegion(int transparencyOption)
    : RastelRegion(transparencyOption, ScreenDepth()) {}

RastelRegion::RastelRegion(int transparencyOption, int displayDepth)
    : m_transparencyOption(transparencyOption), m_displayDepth(displayDepth) {}

RastelRegion::~RastelRegion() = default;

BOOL RastelRegion::Init(CWnd* window, const RECT* rect) {
    if (!window || !rect)
        return FALSE;
    m_window = window;
    m_origin = {rect->left, rect->top};
    m_rect = *rect;
    OffsetRect(&m_rect, -rect->left, -rect->top);
    return TRUE;
}

BOOL RastelRegion::RealizePalette() {
    return FALSE;
}
void RastelRegion::BeginFrame() {}
void RastelRegion::EndFrame() {}
void RastelRegion::Blit(const RECT*) {}
void RastelRegion::SetFillColour(const BYTE*, double, int) {}
void RastelRegion::SetFillBitmap(const BITMAPINFOHEADER*, const POINT*, const POINT*, const POINT*,
                                 const POINT*, double, int, int, int) {}
void RastelRegion::FillQuad(const POINT*, const POINT*, const POINT*, const POINT*) {}
