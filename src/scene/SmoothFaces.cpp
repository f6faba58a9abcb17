#include "scene/SmoothFaces.h"

#include "import/PictureSource.h"
#include "import/StillPicture.h"
#include "render/Renderer.h"

namespace {

// Where a packed picture's rows and colour table are (the layout RastelRegion reads).
const BYTE* ColourTableOf(const BITMAPINFOHEADER* dib) {
    return reinterpret_cast<const BYTE*>(dib) + dib->biSize;
}
const BYTE* PixelsOf(const BITMAPINFOHEADER* dib) {
    const BYTE* base = ColourTableOf(dib);
    if (dib->biCompression == BI_BITFIELDS) {
        return base + 12;
    }
    DWORD colours = dib->biClrUsed;
    if (colours == 0 && dib->biBitCount <= 8) {
        colours = DWORD{1} << dib->biBitCount;
    }
    return base + 4 * (colours > 256 ? 256 : colours);
}

PictureLevels* Build(const BITMAPINFOHEADER* bitmap) {
    return BuildPictureLevels(bitmap, PixelsOf(bitmap),
                              reinterpret_cast<const RGBQUAD*>(ColourTableOf(bitmap)));
}

bool TooLargeToMove(const BITMAPINFOHEADER* bitmap) {
    const int64_t w = bitmap->biWidth, h = bitmap->biHeight;
    return (w < 0 ? -w : w) * (h < 0 ? -h : h) > SmoothFaces::kMaxMovingTexels;
}

bool Moving(PictureSource* source) {
    return source != nullptr && dynamic_cast<StillPicture*>(source) == nullptr;
}

} // namespace

SmoothFaces::~SmoothFaces() {
    for (Entry& e : m_entries) {
        FreePictureLevels(e.levels);
    }
}

const PictureLevels* SmoothFaces::LevelsFor(PictureSource* source, const BITMAPINFOHEADER* bitmap) {
    if (bitmap == nullptr) {
        return nullptr;
    }
    const bool moving = Moving(source);
    const DWORD time = source != nullptr ? source->m_currentTime : 0;
    for (Entry& e : m_entries) {
        if (e.source != source) {
            continue;
        }
        if (e.bitmap == bitmap && (!moving || e.time == time)) {
            return e.levels;
        }
        e.bitmap = bitmap;
        e.time = time;
        if (moving && TooLargeToMove(bitmap)) {
            FreePictureLevels(e.levels);
            e.levels = nullptr;
        } else if (e.levels == nullptr || RefreshPictureLevels(e.levels, bitmap, PixelsOf(bitmap),
                                                               reinterpret_cast<const RGBQUAD*>(
                                                                   ColourTableOf(bitmap))) != 0) {
            FreePictureLevels(e.levels);
            e.levels = Build(bitmap);
        }
        return e.levels;
    }
    const bool tooLarge = moving && TooLargeToMove(bitmap);
    m_entries.push_back({source, bitmap, time, tooLarge ? nullptr : Build(bitmap)});
    return m_entries.back().levels;
}

void SmoothFaces::Forget(PictureSource* source) {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].source == source) {
            FreePictureLevels(m_entries[i].levels);
            m_entries[i] = m_entries.back();
            m_entries.pop_back();
            return;
        }
    }
}
