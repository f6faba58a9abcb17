#include "render/region/MemoryRegion.h"

#include "render/core/Tables.h"

#include <cstring>

IMPLEMENT_DYNAMIC(MemoryRegion, RastelRegion)

namespace {

// Row sizes and the whole bitmap stay far below 2 GB.
constexpr int64_t kMaxBitmapBytes = int64_t{1} << 30;

} // namespace

MemoryRegion::MemoryRegion(int transparencyOption, int depth)
    : RastelRegion(depth <= 8 ? 0 : transparencyOption, depth) {}

MemoryRegion::~MemoryRegion() {
    Release();
}

void MemoryRegion::Release() {
    if (m_bits != nullptr) {
        GlobalFree(GlobalHandle(m_bits));
        m_bits = nullptr;
    }
    if (m_header != nullptr) {
        GlobalFree(GlobalHandle(m_header));
        m_header = nullptr;
    }
}

BOOL MemoryRegion::Init(CWnd* window, const RECT* rect) {
    Release();
    if (!InitRegion(window, rect)) {
        return 0;
    }
    const int bits = m_displayDepth <= 8 ? 8 : 32;
    const int64_t w = m_rect.right, h = m_rect.bottom;
    const int64_t stride = (w * bits + 31) / 32 * 4;
    // One spare row on top, as in the window region's DIB section.
    if (stride * (h + 1) > kMaxBitmapBytes) {
        return 0;
    }
    const int colours = bits == 8 ? 256 : 0;
    auto* header = static_cast<BITMAPINFO*>(
        GlobalAlloc(GPTR, sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD)));
    void* pixels = GlobalAlloc(GPTR, static_cast<SIZE_T>(stride * (h + 1)));
    if (header == nullptr || pixels == nullptr) {
        GlobalFree(header);
        GlobalFree(pixels);
        return 0;
    }
    BITMAPINFOHEADER& bh = header->bmiHeader;
    bh.biSize = sizeof(BITMAPINFOHEADER);
    bh.biWidth = static_cast<LONG>(w);
    bh.biHeight = static_cast<LONG>(h);
    bh.biPlanes = 1;
    bh.biBitCount = static_cast<WORD>(bits);
    bh.biCompression = BI_RGB;
    bh.biSizeImage = static_cast<DWORD>(stride * h);
    bh.biXPelsPerMeter = bh.biYPelsPerMeter = 1000;
    bh.biClrUsed = bh.biClrImportant = static_cast<DWORD>(colours);
    for (int i = 0; i < colours; ++i) {
        const PALETTEENTRY& e = tables::kDefaultPalette.entries[i];
        header->bmiColors[i] = {e.peBlue, e.peGreen, e.peRed, 0};
    }
    m_header = header;
    m_bits = pixels;
    m_stride = static_cast<int>(stride);
    return 1;
}

uint8_t* MemoryRegion::Row(int y) const {
    return static_cast<uint8_t*>(m_bits) + static_cast<ptrdiff_t>(y) * m_stride;
}
