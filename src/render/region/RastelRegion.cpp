// The drawing region's portable part: set-up of the transform and palette, binding the
// renderer each frame, and the three drawing operations the scene uses.
#include "render/region/RastelRegion.h"

#include "render/core/GraphicsStartup.h"
#include "render/region/RegionDisplay.h"
#include "render/Renderer.h"
#include "render/core/Tables.h"

#include <cmath>

IMPLEMENT_DYNAMIC(RastelRegion, CObject)

namespace {

// [0, 1]; NaN counts as 0.
double ClampIntensity(double intensity) {
    return intensity > 1.0 ? 1.0 : intensity >= 0.0 ? intensity : 0.0;
}

// The scaled colour table of a palettised fill picture. One per process: the fill copies
// what it needs when it is set up.
RGBQUAD g_scaledColours[256];

// The colour table entries a picture of `bits` <= 8 really has.
int ColourCount(const BITMAPINFOHEADER* dib) {
    const int full = 1 << dib->biBitCount;
    return dib->biClrUsed != 0 && dib->biClrUsed < static_cast<DWORD>(full)
               ? static_cast<int>(dib->biClrUsed)
               : full;
}

// Where a packed picture's rows start. A colour table is never longer than 256 entries
// in a packed picture; a larger count is not trusted.
const BYTE* PixelBits(const BITMAPINFOHEADER* dib) {
    const BYTE* base = reinterpret_cast<const BYTE*>(dib) + dib->biSize;
    if (dib->biCompression == BI_BITFIELDS) {
        return base + 12;
    }
    DWORD colours = dib->biClrUsed;
    if (colours == 0 && dib->biBitCount <= 8) {
        colours = DWORD{1} << dib->biBitCount;
    }
    return base + 4 * (colours > 256 ? 256 : colours);
}

} // namespace

RastelRegion::RastelRegion(int transparencyOption)
    : RastelRegion(transparencyOption, ScreenDisplayDepth()) {}

RastelRegion::RastelRegion(int transparencyOption, int displayDepth)
    : m_transparencyOption(transparencyOption), m_displayDepth(displayDepth) {}

RastelRegion::~RastelRegion() = default;

BOOL RastelRegion::Init(CWnd* window, const RECT* rect) {
    if (window == nullptr) {
        return 0;
    }
    return InitRegion(window, rect);
}

BOOL RastelRegion::InitRegion(CWnd* window, const RECT* rect) {
    if (rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top) {
        return 0;
    }
    m_window = window;
    m_origin = {rect->left, rect->top};
    m_rect = *rect;
    OffsetRect(&m_rect, -rect->left, -rect->top);
    if (m_transparencyOption) {
        tables::BuildBlendTable();
    }
    // 16.16 pixels times 0.25 are 18.14 device units; the offsets put scene (0, 0) at the
    // centre: half the width and height in 18.14 (w·2^13), shifted left 16.
    const int64_t w = m_rect.right, h = m_rect.bottom;
    m_transform = {0x4000,
                   0,
                   0,
                   0x4000,
                   static_cast<int64_t>((w << 13) * 65536),
                   static_cast<int64_t>((h << 13) * 65536)};
    if (m_displayDepth <= 8) {
        SetTargetPalette(UseStandardPalette(0));
    }
    RealizePalette();
    return 1;
}

BOOL RastelRegion::RealizePalette() {
    if (m_displayDepth >= 9) {
        return 0;
    }
    return RealizeAppPalette(m_window);
}

void RastelRegion::BeginFrame() {
    if (m_header == nullptr) {
        return;
    }
    BindTarget(&m_header->bmiHeader, m_bits, 2);
    SetSmoothing(1);
    SetTransform(&m_transform);
}

void RastelRegion::EndFrame() {}

void RastelRegion::Blit(const RECT*) {}

void RastelRegion::SetFillColour(const BYTE rgba[4], double intensity, int) {
    const double k = ClampIntensity(intensity);
    uint32_t colour = uint32_t{rgba[3]} << 24;
    for (int i = 0; i < 3; ++i) {
        colour |= static_cast<uint32_t>(static_cast<int>(rgba[i] * k)) << (8 * i);
    }
    SetSolidFill(colour);
}

void RastelRegion::SetFillBitmap(const BITMAPINFOHEADER* dib, const POINT* p0, const POINT* p1,
                                 const POINT* p2, const POINT* p3, double intensity, int mode,
                                 int transparency, int) {
    if (dib == nullptr) {
        SetImageFill(nullptr, nullptr, 0, p0, p1, p2, 0, nullptr, nullptr, nullptr, nullptr,
                     nullptr, 0);
        return;
    }
    uint32_t style = static_cast<uint32_t>(mode) & 0xFF;
    if (m_transparencyOption) {
        style += (static_cast<uint32_t>(transparency) & 0xFFFF) << 8;
    }
    const double k = ClampIntensity(intensity);
    const uint32_t grey = static_cast<uint32_t>(static_cast<int>(k * 255)) & 0xFF;
    const uint32_t colour = grey | (grey << 8) | (grey << 16);
    // A missing percent table leaves the colours as they are.
    const BYTE* row = PercentRow(static_cast<int>(k * 100));
    const RGBQUAD* colours = nullptr;
    const BYTE* channel = nullptr;
    if (dib->biBitCount <= 8) {
        const RGBQUAD* source =
            reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(dib) + dib->biSize);
        const int count = ColourCount(dib);
        for (int i = 0; i < 256; ++i) {
            RGBQUAD c{};
            if (i < count) {
                c = source[i];
                if (row != nullptr) {
                    c = {row[c.rgbBlue], row[c.rgbGreen], row[c.rgbRed], 0};
                }
                c.rgbReserved = 0;
            }
            g_scaledColours[i] = c;
        }
        colours = g_scaledColours;
    } else {
        channel = row;
    }
    const BYTE* bits = PixelBits(dib);
    if (m_perspective) {
        SetPerspectiveImageFill(dib, bits, style, p0, p1, p3, p2, colour, colours, channel, channel,
                                channel, nullptr, 0);
    } else {
        SetImageFill(dib, bits, style, p0, p1, p2, colour, colours, channel, channel, channel,
                     nullptr, 0);
    }
}

void RastelRegion::SetFillLevels(const PictureLevels* levels, const POINT* p0, const POINT* p1,
                                 const POINT* p2, const POINT* p3, double intensity, int mode,
                                 int transparency) {
    uint32_t style = static_cast<uint32_t>(mode) & 0xFF;
    if (m_transparencyOption) {
        style += (static_cast<uint32_t>(transparency) & 0xFFFF) << 8;
    }
    const double k = ClampIntensity(intensity);
    const uint32_t grey = static_cast<uint32_t>(static_cast<int>(k * 255)) & 0xFF;
    const BYTE* channel = PercentRow(static_cast<int>(k * 100));
    const uint32_t colour = grey | (grey << 8) | (grey << 16);
    if (m_perspective) {
        SetSmoothImageFill(levels, style, p0, p1, p3, p2, colour, channel, channel, channel);
    } else {
        SetSmoothImageFill(levels, style, p0, p1, p2, nullptr, colour, channel, channel, channel);
    }
}

void RastelRegion::FillQuad(const POINT* p0, const POINT* p1, const POINT* p2, const POINT* p3) {
    if (p0 == nullptr || p1 == nullptr || p2 == nullptr || p3 == nullptr) {
        return;
    }
    const POINT points[4] = {*p0, *p1, *p2, *p3};
    const BYTE verbs[4] = {kVerbMoveTo, kVerbLineTo, kVerbLineTo, kVerbLineTo};
    FillOutline(points, verbs, 4, 0);
}
