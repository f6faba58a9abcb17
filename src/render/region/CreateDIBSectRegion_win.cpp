#include "render/region/CreateDIBSectRegion.h"

#include "framework/Wnd.h"
#include "render/region/RegionBlit.h"

IMPLEMENT_DYNAMIC(CreateDIBSectRegion, RastelRegion)

CreateDIBSectRegion::CreateDIBSectRegion(int transparencyOption)
    : RastelRegion(transparencyOption) {
    if (m_displayDepth <= 8) {
        m_transparencyOption = 0;
    }
}

CreateDIBSectRegion::~CreateDIBSectRegion() {
    if (m_frameDC != nullptr) {
        ::ReleaseDC(m_window != nullptr ? m_window->GetSafeHwnd() : nullptr, m_frameDC);
    }
    if (m_memoryDC != nullptr) {
        ::SelectObject(m_memoryDC, m_previous);
        ::DeleteDC(m_memoryDC);
    }
    if (m_section != nullptr) {
        ::DeleteObject(m_section);
    }
    if (m_header != nullptr) {
        HGLOBAL block = ::GlobalHandle(m_header);
        ::GlobalUnlock(block);
        ::GlobalFree(block);
    }
}

BOOL CreateDIBSectRegion::Init(CWnd* window, const RECT* rect) {
    if (!RastelRegion::Init(window, rect)) {
        return 0;
    }
    HWND hwnd = window->GetSafeHwnd();
    HDC windowDC = ::GetDC(hwnd);
    const int depth = m_displayDepth;
    const int w = m_rect.right, h = m_rect.bottom;
    int bits = 0;
    if (depth == 4 || depth == 8) {
        bits = 8;
    } else if (depth == 15 || depth == 16 || depth == 24 || depth == 32) {
        bits = 32;
    }
    if (bits != 0) {
        const int colours = bits == 8 ? 256 : 0;
        HGLOBAL block = ::GlobalAlloc(GHND, sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD));
        m_header = block != nullptr ? static_cast<BITMAPINFO*>(::GlobalLock(block)) : nullptr;
        if (m_header != nullptr) {
            BITMAPINFOHEADER& bh = m_header->bmiHeader;
            bh.biSize = sizeof(BITMAPINFOHEADER);
            bh.biWidth = w;
            bh.biHeight = h + 1; // the spare row, see RegionBlit.h
            bh.biPlanes = 1;
            bh.biBitCount = static_cast<WORD>(bits);
            bh.biCompression = BI_RGB;
            bh.biXPelsPerMeter = bh.biYPelsPerMeter = 1000;
            bh.biClrUsed = bh.biClrImportant = static_cast<DWORD>(colours);
            // DIB_PAL_COLORS: the colour table holds 16-bit indices into the DC's palette.
            WORD* indices = reinterpret_cast<WORD*>(m_header->bmiColors);
            for (int i = 0; i < colours; ++i) {
                indices[i] = static_cast<WORD>(i);
            }
            m_section = ::CreateDIBSection(windowDC, m_header, DIB_PAL_COLORS, &m_bits, nullptr, 0);
            bh.biHeight = h;
            if (bh.biSizeImage == 0) {
                bh.biSizeImage = static_cast<DWORD>(h) * ((bits * w + 31) / 32) * 4;
            }
        } else if (block != nullptr) {
            ::GlobalFree(block);
        }
    }
    if (m_header == nullptr || m_section == nullptr) {
        if (windowDC != nullptr) {
            ::ReleaseDC(hwnd, windowDC);
        }
        return 0;
    }
    m_memoryDC = ::CreateCompatibleDC(windowDC);
    if (windowDC != nullptr) {
        ::ReleaseDC(hwnd, windowDC);
    }
    if (m_memoryDC == nullptr) {
        return 0;
    }
    m_previous = ::SelectObject(m_memoryDC, m_section);
    return 1;
}

void CreateDIBSectRegion::BeginFrame() {
    RastelRegion::BeginFrame();
    m_inFrame = true;
}

void CreateDIBSectRegion::EndFrame() {
    RastelRegion::EndFrame();
    m_inFrame = false;
    if (m_frameDC != nullptr) {
        HWND hwnd = m_window != nullptr ? m_window->GetSafeHwnd() : nullptr;
        ::ReleaseDC(hwnd, m_frameDC);
        m_frameDC = nullptr;
        ::GdiFlush();
    }
}

void CreateDIBSectRegion::Blit(const RECT* changed) {
    HWND hwnd = m_window != nullptr ? m_window->GetSafeHwnd() : nullptr;
    if (m_inFrame) {
        if (m_frameDC == nullptr) {
            m_frameDC = ::GetDC(hwnd);
        }
        if (m_frameDC != nullptr) {
            BlitTo(m_frameDC, changed);
        }
        return;
    }
    HDC windowDC = ::GetDC(hwnd);
    if (windowDC == nullptr) {
        return;
    }
    BlitTo(windowDC, changed);
    ::ReleaseDC(hwnd, windowDC);
    ::GdiFlush();
}

void CreateDIBSectRegion::BlitTo(HDC windowDC, const RECT* changed) {
    const RegionBlit b = ComputeRegionBlit(m_origin, m_rect.right, m_rect.bottom, changed);
    ::BitBlt(windowDC, b.destX, b.destY, b.width, b.height, m_memoryDC, b.srcX, b.srcY, SRCCOPY);
}
