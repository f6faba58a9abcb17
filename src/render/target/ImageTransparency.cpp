#include "render/target/ImageTransparency.h"

#include "render/core/Tables.h"

namespace transparency {
namespace {

bool g_perTexel = false;
int g_amount = 0;
const tables::BlendRow* g_blend = nullptr;

// Channel by channel, base + row[256 + (other - base)] in byte arithmetic; bits 24-31
// come from `keep`.
inline uint32_t Mix(uint32_t base, uint32_t other, const uint8_t* row, uint32_t keep) {
    uint32_t out = keep & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int b = (base >> shift) & 0xFF, o = (other >> shift) & 0xFF;
        out |= static_cast<uint32_t>((b + row[256 + o - b]) & 0xFF) << shift;
    }
    return out;
}

} // namespace

bool Prepare(int kind, int amount) {
    g_perTexel = PerTexelAmount(kind);
    g_amount = amount & 0xFF;
    if (tables::BlendTable() == nullptr && !tables::BuildBlendTable()) {
        g_blend = nullptr;
        return false;
    }
    g_blend = tables::BlendTable();
    return true;
}

void BlendSpan(uint32_t* dst, const uint32_t* src, int32_t n) {
    if (g_perTexel) {
        for (int32_t i = 0; i < n; ++i) {
            dst[i] = Mix(src[i], dst[i], g_blend[src[i] >> 24], dst[i]);
        }
        return;
    }
    const uint8_t* row = g_blend[g_amount];
    for (int32_t i = 0; i < n; ++i) {
        dst[i] = Mix(src[i], dst[i], row, dst[i]);
    }
}

void Composite(int32_t y, const CoverageRun* runs, int count) {
    uint32_t* target = reinterpret_cast<uint32_t*>(g_render.target.Row(y));
    const uint32_t* texels = g_render.rowBuffer;
    for (int i = 0; i < count; ++i) {
        const CoverageRun& run = runs[i];
        const uint8_t* scale = tables::kCoverageBlend[run.coverage];
        if (g_perTexel) {
            for (int32_t x = run.x0; x < run.x1; ++x) {
                const int weight = scale[255 + 255 - static_cast<int>(texels[x] >> 24)];
                target[x] = Mix(target[x], texels[x], g_blend[weight], target[x]);
            }
        } else {
            const uint8_t* row = g_blend[scale[255 + 255 - g_amount]];
            for (int32_t x = run.x0; x < run.x1; ++x) {
                target[x] = Mix(target[x], texels[x], row, target[x]);
            }
        }
    }
}

} // namespace transparency
