// The constant look-up tables, computed at compile time from their definitions, and the
// blend table, built at run time once per process.
#include "render/core/Tables.h"

#include <cstdlib>

namespace tables {
namespace {

// Each table is computed by a constexpr builder into a wrapper, and exported as a
// reference to the wrapper's array.
template <typename T, size_t N> struct Table1 { T v[N]; };

template <typename T, size_t N, typename F> constexpr Table1<T, N> Make(F f) {
    Table1<T, N> t{};
    for (size_t i = 0; i < N; ++i) {
        t.v[i] = static_cast<T>(f(static_cast<int>(i)));
    }
    return t;
}

// c·d/25 rounded to nearest (never an exact half: 25 is odd), as a byte.
constexpr uint8_t CoverageScaled(int c, int d) {
    const int num = c * d;
    const int q = num >= 0 ? (num + 12) / 25 : -((-num + 12) / 25);
    return static_cast<uint8_t>(q & 0xFF);
}

constexpr int CubeLevel(int level) {
    return 51 * level;
}
constexpr int GreyStep(int k) {
    return (k * 17 + 1) / 2;
} // floor(k·8.5 + 1/2)

constexpr PALETTEENTRY StandardEntry(int i) {
    if (i < kCubeCount) {
        return PALETTEENTRY{static_cast<BYTE>(CubeLevel(i % 6)),
                            static_cast<BYTE>(CubeLevel(i / 6 % 6)),
                            static_cast<BYTE>(CubeLevel(i / 36)), 0};
    }
    const auto v = static_cast<BYTE>(GreyStep(i - kGreyRampFirst));
    return PALETTEENTRY{v, v, v, 0};
}

constexpr StandardColourList MakeStandardList() {
    StandardColourList list{0x300, kStandardCount, {}};
    for (int i = 0; i < kStandardCount; ++i) {
        list.entries[i] = StandardEntry(i);
    }
    return list;
}

// Entries 10..245 of the default palette: the four tints, grey 136, grey 60, then the
// cube colours that are not system colours (in cube order), then the remaining greys.
constexpr RenderPalette MakeDefaultPalette() {
    RenderPalette p{0x300, 256, {}};
    constexpr BYTE kLow[10][3] = {{0, 0, 0},       {128, 0, 0},    {0, 128, 0},   {128, 128, 0},
                                  {0, 0, 128},     {128, 0, 128},  {0, 128, 128}, {192, 192, 192},
                                  {192, 220, 192}, {166, 202, 240}};
    constexpr BYTE kHigh[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                   {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                   {0, 255, 255},   {255, 255, 255}};
    constexpr BYTE kFront[6][3] = {{230, 255, 230}, {255, 255, 238}, {255, 230, 230},
                                   {255, 255, 230}, {136, 136, 136}, {60, 60, 60}};
    auto set = [&p](int i, int r, int g, int b) {
        p.entries[i] = PALETTEENTRY{BYTE(r), BYTE(g), BYTE(b), 0};
    };
    for (int i = 0; i < 10; ++i) {
        set(i, kLow[i][0], kLow[i][1], kLow[i][2]);
        set(246 + i, kHigh[i][0], kHigh[i][1], kHigh[i][2]);
    }
    int next = 10;
    for (const auto& c : kFront) {
        set(next++, c[0], c[1], c[2]);
    }
    for (int i = 0; i < kCubeCount; ++i) {
        const int r = i % 6, g = i / 6 % 6, b = i / 36;
        const bool system = (r == 0 || r == 5) && (g == 0 || g == 5) && (b == 0 || b == 5);
        if (!system) {
            set(next++, CubeLevel(r), CubeLevel(g), CubeLevel(b));
        }
    }
    for (int k = 0; k < kGreySteps; ++k) {
        const int v = GreyStep(k);
        if (k % 6 != 0 && v != 128 && v != 136 && v != 60) {
            set(next++, v, v, v);
        }
    }
    if (next != 246) {
        p.version = 0; // caught by the static_assert below
    }
    return p;
}

struct CoverageBlendRows {
    uint8_t v[26][512];
};
constexpr CoverageBlendRows MakeCoverageBlend() {
    CoverageBlendRows t{};
    for (int c = 0; c < 26; ++c) {
        for (int d = -255; d <= 255; ++d) {
            t.v[c][255 + d] = CoverageScaled(c, d);
        }
    }
    return t;
}

struct CoverageMixRows {
    uint32_t v[24][256];
};
constexpr CoverageMixRows MakeCoverageMix() {
    CoverageMixRows t{};
    for (int k = 1; k <= 24; ++k) {
        for (int s = 0; s < kStandardCount; ++s) {
            const PALETTEENTRY e = StandardEntry(s);
            auto field = [k](int v) { return static_cast<uint32_t>(k * v * 1024 / (25 * 255)); };
            t.v[k - 1][s] = field(e.peGreen) | field(e.peRed) << 10 | field(e.peBlue) << 20;
        }
    }
    return t;
}

// The 2x2 ordered dither of a channel of `bits` bits: the level of cell (column, row),
// counting in quarter steps against the thresholds 0 2 / 3 1.
constexpr uint32_t Dither16Level(int bits, int v, int column, int row) {
    constexpr int kThreshold[2][2] = {{0, 2}, {3, 1}};
    const int top = (1 << bits) - 1;
    const int quarters = v * top * 4 / 255;
    const int level = quarters / 4 + ((quarters & 3) > kThreshold[row][column] ? 1 : 0);
    return static_cast<uint32_t>(level > top ? top : level);
}
struct Dither16Rows {
    uint32_t v[3][256][2];
};
constexpr Dither16Rows MakeDither16() {
    Dither16Rows t{};
    for (int w = 0; w < 3; ++w) {
        for (int v = 0; v < 256; ++v) {
            for (int row = 0; row < 2; ++row) {
                t.v[w][v][row] = Dither16Level(4 + w, v, 0, row) | Dither16Level(4 + w, v, 1, row)
                                                                       << 16;
            }
        }
    }
    return t;
}

// Bayer order for the 1-bit patterns: a cell is set (white) when its rank is below the
// luminance level.
struct MonoRows {
    uint8_t v[17][16];
};
constexpr MonoRows MakeMono() {
    constexpr int kRank[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    MonoRows t{};
    for (int level = 0; level <= 16; ++level) {
        for (int i = 0; i < 16; ++i) {
            t.v[level][i] = kRank[i / 4][i % 4] < level ? 1 : 0;
        }
    }
    return t;
}

struct Matrix4 {
    uint8_t v[4][4];
};

constexpr auto kIdentityValue = Make<uint8_t, 256>([](int i) { return i; });
constexpr auto kWiden5Value = Make<uint8_t, 32>([](int c) { return (c << 3) | (c >> 2); });
constexpr auto kSquaresValue = Make<int32_t, 511>([](int i) { return (i - 255) * (i - 255); });
template <int Weight> constexpr auto MakeCube() {
    return Make<uint8_t, 306>([](int i) { return i < 305 ? (i + 1) / 51 * Weight : 0; });
}
constexpr auto kCubeRedValue = MakeCube<1>();
constexpr auto kCubeGreenValue = MakeCube<6>();
constexpr auto kCubeBlueValue = MakeCube<36>();
constexpr Matrix4 kColourDitherValue = {
    {{48, 10, 38, 0}, {22, 35, 13, 26}, {42, 3, 45, 6}, {16, 29, 19, 32}}};
constexpr Matrix4 kGreyDitherValue = {
    {{16, 3, 13, 0}, {7, 12, 4, 9}, {14, 1, 15, 2}, {5, 10, 6, 11}}};
constexpr StandardColourList kStandardValue = MakeStandardList();
constexpr RenderPalette kDefaultPaletteValue = MakeDefaultPalette();
static_assert(kDefaultPaletteValue.version == 0x300, "entries 10..245 must be filled exactly");
constexpr CoverageBlendRows kCoverageBlendValue = MakeCoverageBlend();
constexpr CoverageMixRows kCoverageMixValue = MakeCoverageMix();
constexpr Dither16Rows kDither16Value = MakeDither16();
constexpr MonoRows kMonoValue = MakeMono();

static_assert(kWiden5Value.v[4] == 33 && kWiden5Value.v[31] == 255);
static_assert(kCoverageBlendValue.v[12][255 + 100] == 48);
static_assert(kCoverageBlendValue.v[12][255 - 255] == uint8_t(-122));

uint8_t (*g_blend)[512] = nullptr;

} // namespace

const uint8_t (&kIdentity)[256] = kIdentityValue.v;
const uint8_t (&kWiden5)[32] = kWiden5Value.v;
const int32_t (&kSquares)[511] = kSquaresValue.v;
const StandardColourList kStandardColours = kStandardValue;
const RenderPalette kDefaultPalette = kDefaultPaletteValue;
const uint8_t (&kCubeRed)[306] = kCubeRedValue.v;
const uint8_t (&kCubeGreen)[306] = kCubeGreenValue.v;
const uint8_t (&kCubeBlue)[306] = kCubeBlueValue.v;
const uint8_t (&kColourDither)[4][4] = kColourDitherValue.v;
const uint8_t (&kGreyDither)[4][4] = kGreyDitherValue.v;
const uint8_t (&kCoverageBlend)[26][512] = kCoverageBlendValue.v;
const uint32_t (&kCoverageMix)[24][256] = kCoverageMixValue.v;
const uint32_t (&kDither16)[3][256][2] = kDither16Value.v;
const uint8_t (&kMonoPatterns)[17][16] = kMonoValue.v;

bool BuildBlendTable() {
    if (g_blend) {
        return true;
    }
    auto* rows = static_cast<uint8_t(*)[512]>(std::calloc(256, 512));
    if (!rows) {
        return false;
    }
    // Row 0 and entries 0 (d = -256) and 256 (d = 0) stay zero.
    for (int a = 1; a < 256; ++a) {
        for (int d = 1; d <= 255; ++d) {
            const int q = (a * d + 127) / 255;
            rows[a][256 + d] = static_cast<uint8_t>(q);
            rows[a][256 - d] = static_cast<uint8_t>(-q);
        }
    }
    g_blend = rows;
    return true;
}

const BlendRow* BlendTable() {
    return g_blend;
}

void FreeBlendTable() {
    std::free(g_blend);
    g_blend = nullptr;
}

} // namespace tables
