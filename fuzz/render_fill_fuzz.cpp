// Picture fills with hostile input: any picture header the fills accept, any corners
// (huge, degenerate, collinear, crossing), any edge mode, transparency, clip box and
// target. Pictures, colour tables and targets are allocated at exactly their size, so
// that a read outside the picture's rows or a write outside the target is caught by the
// address sanitizer. Both the narrow and the 256-bit vector loops are driven, of the exact
// fills and of the smooth ones (over levels built from the same picture).
#include "render/core/Context.h"
#include "render/core/FastPaths.h"
#include "render/Renderer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

class Input {
  public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = (v << 8) | Byte();
        }
        return v;
    }
    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // A coordinate in 16.16: mostly near the target, sometimes anywhere.
    int32_t Coordinate() {
        const uint8_t kind = Byte();
        const uint32_t raw = U32();
        if (kind < 32) {
            return static_cast<int32_t>(raw);
        }
        return static_cast<int32_t>(raw % (200u << 16)) - (40 << 16);
    }

  private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// malloc'd at exactly `bytes` (at least 1), so the sanitizer sees every overrun.
struct Block {
    explicit Block(size_t bytes) : data(static_cast<uint8_t*>(std::malloc(bytes ? bytes : 1))) {}
    ~Block() { std::free(data); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    uint8_t* data;
};

int32_t Wrapped(uint32_t v) {
    return static_cast<int32_t>(v);
}

bool g_ready = false;

void SetUpOnce() {
    if (g_ready) {
        return;
    }
    SetMemoryHandlers(std::malloc, std::free);
    SetTargetPalette(UseStandardPalette(0));
    g_ready = true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpOnce();
    Input in(data, size);
    // Both versions of the loops, where the processor has 256-bit vectors: the last byte's
    // top bit, so that the other bytes keep their meaning.
    fast_paths::AllowWideVectors(size == 0 || (data[size - 1] & 0x80) == 0);

    // Target: 8, 16 or 32 bits, up to 96 x 64.
    static const WORD kTargetBits[] = {8, 16, 32, 32};
    BITMAPINFOHEADER target{};
    target.biSize = 40;
    target.biWidth = 1 + in.Byte() % 96;
    target.biHeight = 1 + in.Byte() % 64;
    target.biPlanes = 1;
    target.biBitCount = kTargetBits[in.Byte() % 4];
    const size_t targetStride = target.biBitCount == 32   ? target.biWidth * 4u
                                : target.biBitCount == 16 ? ((target.biWidth + 1u) & ~1u) * 2
                                                          : (target.biWidth + 3u) & ~3u;
    Block targetPixels(targetStride * target.biHeight);
    std::memset(targetPixels.data, 0x5A, targetStride * target.biHeight);
    if (BindTarget(&target, targetPixels.data, in.Byte() % 4) != 0) {
        return 0;
    }
    const RenderTransform identity = {0x4000, 0, 0, 0x4000, 0, 0};
    SetTransform(in.Byte() < 200 ? &identity : nullptr);
    SetSmoothing(in.Byte() & 1);
    RECT clip = {static_cast<LONG>(in.Byte() % 100) - 2, static_cast<LONG>(in.Byte() % 70) - 2,
                 static_cast<LONG>(in.Byte() % 100), static_cast<LONG>(in.Byte() % 70)};
    SetDeviceClip(&clip);

    // Picture: any of the header combinations, small or long and thin.
    static const WORD kBits[] = {1, 4, 8, 16, 24, 32, 32, 0, 2, 64};
    const uint8_t pick = in.Byte() % 10;
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biBitCount = kBits[pick];
    header.biPlanes = pick == 6 ? 4 : (in.Byte() < 250 ? 1 : in.Byte());
    header.biCompression = in.Byte() < 240 ? BI_RGB : in.Byte() % 5;
    const uint8_t shape = in.Byte();
    int32_t w = 1 + in.Byte() % 64, h = 1 + in.Byte() % 64;
    if (shape < 16) {
        w = 1 + static_cast<int32_t>(in.U32() % 40000);
        h = 1 + in.Byte() % 3;
    } else if (shape < 32) {
        h = 1 + static_cast<int32_t>(in.U32() % 40000);
        w = 1 + in.Byte() % 3;
    } else if (shape < 36) {
        w = static_cast<int32_t>(in.U32());
        h = static_cast<int32_t>(in.U32());
    }
    header.biWidth = w;
    header.biHeight = (shape & 64) ? -h : h;
    const int64_t stride = (int64_t{w} * header.biBitCount + 31) / 32 * 4;
    const int64_t limit = int64_t{1} << 22;
    if (w <= 0 || h <= 0 || stride <= 0 || stride > limit || stride * h > limit) {
        header.biWidth = 0; // refused below; never allocate for it
    }
    const size_t pictureBytes = header.biWidth > 0 ? static_cast<size_t>(stride * h) : 1;
    // Bulk contents come from a generator seeded by the input, so the input's bytes go
    // to the decisions.
    uint32_t seed = in.U32();
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<uint8_t>(seed >> 24);
    };
    Block picture(pictureBytes);
    for (size_t i = 0; i < pictureBytes; ++i) {
        picture.data[i] = next();
    }
    const int colours = header.biBitCount <= 8 ? 1 << header.biBitCount : 0;
    Block colourTable(sizeof(RGBQUAD) * (colours ? colours : 1));
    for (int i = 0; i < colours * 4; ++i) {
        colourTable.data[i] = next();
    }
    Block channelTables(4 * 256);
    const BYTE* tables[4];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 256; ++j) {
            channelTables.data[i * 256 + j] = next();
        }
        tables[i] = in.Byte() & 1 ? channelTables.data + i * 256 : nullptr;
    }

    // Style: any edge mode and transparency kind, some of them out of range.
    const uint32_t style = (in.Byte() % 8) | ((in.Byte() % 16) << 8) | (in.Byte() << 16);
    POINT corners[4];
    for (POINT& p : corners) {
        p.x = in.Coordinate();
        p.y = in.Coordinate();
    }
    const uint8_t degenerate = in.Byte();
    if (degenerate < 24) {
        corners[degenerate % 4] = corners[(degenerate / 4) % 4];
    } else if (degenerate < 40) { // collinear (wrapping like the corners themselves)
        corners[2].x = Wrapped(uint32_t(corners[0].x) +
                               2 * (uint32_t(corners[1].x) / 2 - uint32_t(corners[0].x) / 2));
        corners[2].y = Wrapped(uint32_t(corners[0].y) +
                               2 * (uint32_t(corners[1].y) / 2 - uint32_t(corners[0].y) / 2));
    } else if (degenerate < 64) { // a parallelogram: drawn by the affine loops
        corners[2].x =
            Wrapped(uint32_t(corners[1].x) + uint32_t(corners[3].x) - uint32_t(corners[0].x));
        corners[2].y =
            Wrapped(uint32_t(corners[1].y) + uint32_t(corners[3].y) - uint32_t(corners[0].y));
    }
    const int brick = static_cast<int32_t>(in.U32());
    const RGBQUAD* table = colours ? reinterpret_cast<const RGBQUAD*>(colourTable.data) : nullptr;
    const BITMAPINFOHEADER* hdr = in.Byte() < 250 ? &header : nullptr;
    // The exact fills, or the smooth ones over the picture's levels (every third input).
    const uint8_t family = in.Byte();
    const bool perspective = family & 1;
    const uint32_t colour = in.U32();
    std::unique_ptr<PictureLevels, void (*)(PictureLevels*)> levels(nullptr, FreePictureLevels);
    int rc;
    if (family % 3 == 2) {
        levels.reset(BuildPictureLevels(hdr, picture.data, table));
        rc = SetSmoothImageFill(
            levels.get(), style, &corners[0], &corners[1], perspective ? &corners[2] : &corners[3],
            perspective ? &corners[3] : nullptr, colour, tables[0], tables[1], tables[2]);
    } else if (perspective) {
        rc = SetPerspectiveImageFill(hdr, picture.data, style, &corners[0], &corners[1],
                                     &corners[2], &corners[3], colour, table, tables[0], tables[1],
                                     tables[2], tables[3], brick);
    } else {
        rc = SetImageFill(hdr, picture.data, style, &corners[0], &corners[1], &corners[3], colour,
                          table, tables[0], tables[1], tables[2], tables[3], brick);
    }
    if (rc != 0) {
        return 0;
    }

    // The outline: the fill's own corners, or any other quadrilateral.
    POINT outline[4];
    for (int i = 0; i < 4; ++i) {
        outline[i] = in.Byte() < 128 ? corners[i] : POINT{in.Coordinate(), in.Coordinate()};
    }
    const BYTE verbs[4] = {kVerbMoveTo, kVerbLineTo, kVerbLineTo, kVerbLineTo};
    FillOutline(outline, verbs, 4, in.Byte() & 1);
    return 0;
}
