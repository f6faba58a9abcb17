// INTERIM: a plain black DIB-section region for the animation windows, linked only until
// the renderer provides CreateDIBSectRegion. Each Blit copies the (black) bitmap.
#include "app/WindowRegion.h"
#include "framework/Wnd.h"
#include "render/RastelRegion.h"

#include <new>

namespace {

class InterimRegion : public RastelRegion {
  public:
    explicit InterimRegion(int option) : RastelRegion(option) {}
    ~InterimRegion() override {
        if (m_memoryDC) {
            SelectObject(m_memoryDC, m_previous);
            DeleteDC(m_memoryDC);
        }
        if (m_section)
            DeleteObject(m_section);
    }

    BOOL Init(CWnd* window, const RECT* rect) override {
        if (!RastelRegion::Init(window, rect) || m_rect.right <= 0 || m_rect.bottom <= 0)
            return FALSE;
        BITMAPINFO info{};
        info.bmiHeader = {
            sizeof(BITMAPINFOHEADER), m_rect.right, m_rect.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        const HDC windowDC = GetDC(window->m_hWnd);
        m_section = CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        if (m_section) {
            m_memoryDC = CreateCompatibleDC(windowDC);
            if (m_memoryDC)
                m_previous = SelectObject(m_memoryDC, m_section);
        }
        ReleaseDC(window->m_hWnd, windowDC);
        return m_section && m_memoryDC;
    }

    void Blit(const RECT*) override {
        const HDC windowDC = GetDC(m_window->m_hWnd);
        if (!windowDC)
            return;
        BitBlt(windowDC, m_origin.x, m_origin.y, m_rect.right, m_rect.bottom, m_memoryDC, 0, 0,
               SRCCOPY);
        ReleaseDC(m_window->m_hWnd, windowDC);
        GdiFlush();
    }

  private:
    HBITMAP m_section = nullptr;
    HGDIOBJ m_previous = nullptr;
    HDC m_memoryDC = nullptr;
};

} // namespace

RastelRegion* NewWindowRegion(int regionOption) {
    return new (std::nothrow) InterimRegion(regionOption);
}
