// The coverage of one pixel row of a smoothed fill, from the spans of its five sub-rows.
//
// Each sub-row span [a, b) is in sub-columns (five per pixel). A pixel's coverage is the
// number of its 5x5 samples inside spans, 0..25. The row comes out as runs of equal
// coverage, so that fully covered stretches are stored directly and only edge pixels are
// blended.
#pragma once

#include "render/core/Context.h"
#include "render/core/FixedPoint.h"

#include <algorithm>

#include <cstddef>
#include <cstdint>

class CoverageRow {
  public:
    // Bytes of work memory for a fill with `edges` edges.
    static size_t MemoryFor(size_t edges);
    CoverageRow(void* memory, size_t edges);

    // Starts the next sub-row (five per pixel row).
    void BeginSubRow();
    // Adds a span [xa, xb) in device x to the current sub-row; false once it starts past
    // the clip box (the rest of the sub-row is then skipped).
    bool AddSpan(int32_t xa, int32_t xb);
    // Turns the five sub-rows into runs (sorted, disjoint, coverage 1..25) and starts a
    // new pixel row; returns the number of runs.
    int BuildRuns();
    const CoverageRun* Runs() const { return m_runs; }

  private:
    // The sub-column of a device x: floor((x·5 + 0x2000) / 0x4000).
    static int64_t SubColumn(int32_t x) {
        return (int64_t{x} * fixed::kSubSamples + fixed::kDeviceHalf) >> fixed::kDeviceFracBits;
    }

    struct Span {
        int32_t a, b;
    };
    // A coverage change at pixel x: the pixel itself gets `self`, every pixel after it
    // `after` more (both in samples, -5..5).
    struct Event {
        int32_t x;
        int16_t self;
        int16_t after;
    };

    bool BuildSimple(int& runs);
    void BuildGeneral(int& runs);
    void Emit(int& runs, int32_t x0, int32_t x1, int32_t coverage);

    Span* m_spans;
    Event* m_events;
    CoverageRun* m_runs;
    size_t m_spanCount = 0;
    int m_subRow = -1;
    int m_spansPerSubRow[5] = {};
    // Extremes of the span starts and ends of the row, kept as they come: reading them back
    // from the span array right after storing it stalls on store forwarding.
    int32_t m_minA = INT32_MAX, m_maxA = INT32_MIN, m_minB = INT32_MAX, m_maxB = INT32_MIN;
    int64_t m_left, m_right; // clip box in sub-columns
    int32_t m_clipRight;
};

inline void CoverageRow::BeginSubRow() {
    m_spansPerSubRow[++m_subRow] = 0;
}

inline bool CoverageRow::AddSpan(int32_t xa, int32_t xb) {
    const int64_t a = std::max(CoverageRow::SubColumn(xa), m_left);
    if (a >= m_right) {
        return false;
    }
    const int64_t b = std::min(CoverageRow::SubColumn(xb), m_right);
    if (a < b) {
        const auto a32 = static_cast<int32_t>(a), b32 = static_cast<int32_t>(b);
        m_spans[m_spanCount++] = {a32, b32};
        ++m_spansPerSubRow[m_subRow];
        m_minA = std::min(m_minA, a32);
        m_maxA = std::max(m_maxA, a32);
        m_minB = std::min(m_minB, b32);
        m_maxB = std::max(m_maxB, b32);
    }
    return true;
}
