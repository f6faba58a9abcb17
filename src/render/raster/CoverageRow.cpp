#include "render/raster/CoverageRow.h"

#include "render/core/FastPaths.h"
#include "render/core/FixedPoint.h"

#include <algorithm>

namespace {

constexpr int kSub = fixed::kSubSamples;

} // namespace

// Per sub-row there are at most edges / 2 spans; each span gives two events, and every
// event position at most two runs.
size_t CoverageRow::MemoryFor(size_t edges) {
    const size_t spans = edges / 2 * kSub + 8;
    return spans * sizeof(Span) + 2 * spans * sizeof(Event) + 4 * spans * sizeof(CoverageRun) + 64;
}

CoverageRow::CoverageRow(void* memory, size_t edges) {
    const size_t spans = edges / 2 * kSub + 8;
    auto* bytes = static_cast<unsigned char*>(memory);
    m_spans = reinterpret_cast<Span*>(bytes);
    m_events = reinterpret_cast<Event*>(bytes + spans * sizeof(Span));
    m_runs =
        reinterpret_cast<CoverageRun*>(bytes + spans * sizeof(Span) + 2 * spans * sizeof(Event));
    const ClipBox& clip = g_render.clip;
    m_left = int64_t{clip.left} * kSub;
    m_right = int64_t{clip.right} * kSub;
    m_clipRight = clip.right;
}

int CoverageRow::BuildRuns() {
    int runs = 0;
    bool simple = fast_paths::CoverageShortcuts() && m_subRow == kSub - 1;
    for (int s = 0; simple && s < kSub; ++s) {
        simple = m_spansPerSubRow[s] == 1;
    }
    if (!simple || !BuildSimple(runs)) {
        BuildGeneral(runs);
    }
    m_spanCount = 0;
    m_subRow = -1;
    m_minA = m_minB = INT32_MAX;
    m_maxA = m_maxB = INT32_MIN;
    return runs;
}

// One span in each sub-row, overlapping in a fully covered middle: the pixels left of the
// middle only see the spans' starts, those right of it only their ends. A sub-row gives a
// pixel the part of its five sub-columns past the start (or before the end), 0 to 5.
//
//   sub-rows  a0 |----------------------| b0
//               a1 |------------------------| b1
//                 ...
//   pixels   [left edge][ full: 25 ........ ][right edge]
bool CoverageRow::BuildSimple(int& runs) {
    const int32_t minA = m_minA, maxA = m_maxA, minB = m_minB, maxB = m_maxB;
    const int32_t fullStart = (maxA + kSub - 1) / kSub;
    const int32_t fullEnd = minB / kSub;
    if (fullStart > fullEnd) {
        return false;
    }
    for (int32_t p = minA / kSub; p < fullStart; ++p) {
        int32_t c = 0;
        for (int s = 0; s < kSub; ++s) {
            c += std::clamp(kSub * p + kSub - m_spans[s].a, 0, kSub);
        }
        Emit(runs, p, p + 1, c);
    }
    Emit(runs, fullStart, fullEnd, fixed::kFullCoverage);
    const int32_t rightEnd = (maxB + kSub - 1) / kSub;
    for (int32_t p = fullEnd; p < rightEnd; ++p) {
        int32_t c = 0;
        for (int s = 0; s < kSub; ++s) {
            c += std::clamp(m_spans[s].b - kSub * p, 0, kSub);
        }
        Emit(runs, p, p + 1, c);
    }
    return true;
}

void CoverageRow::BuildGeneral(int& runs) {
    size_t count = 0;
    for (size_t i = 0; i < m_spanCount; ++i) {
        const int32_t a = m_spans[i].a, b = m_spans[i].b;
        const int32_t pa = a / kSub, pb = b / kSub;
        const auto fa = static_cast<int16_t>(a % kSub), fb = static_cast<int16_t>(b % kSub);
        if (pa == pb) {
            m_events[count++] = {pa, static_cast<int16_t>(fb - fa), 0};
        } else {
            m_events[count++] = {pa, static_cast<int16_t>(kSub - fa), kSub};
            m_events[count++] = {pb, static_cast<int16_t>(fb - kSub), -kSub};
        }
    }
    std::sort(m_events, m_events + count, [](const Event& p, const Event& q) { return p.x < q.x; });
    int32_t level = 0;
    size_t k = 0;
    while (k < count) {
        const int32_t x = m_events[k].x;
        if (x >= m_clipRight) {
            break;
        }
        int32_t self = level;
        while (k < count && m_events[k].x == x) {
            self += m_events[k].self;
            level += m_events[k].after;
            ++k;
        }
        const int32_t next = k < count ? std::min(m_events[k].x, m_clipRight) : m_clipRight;
        Emit(runs, x, x + 1, self);
        if (next > x + 1) {
            Emit(runs, x + 1, next, level);
        }
    }
}

void CoverageRow::Emit(int& runs, int32_t x0, int32_t x1, int32_t coverage) {
    coverage = std::clamp(coverage, 0, fixed::kFullCoverage);
    if (coverage == 0 || x0 >= x1) {
        return;
    }
    if (runs > 0 && m_runs[runs - 1].x1 == x0 && m_runs[runs - 1].coverage == coverage) {
        m_runs[runs - 1].x1 = x1;
        return;
    }
    m_runs[runs++] = {x0, x1, coverage};
}
