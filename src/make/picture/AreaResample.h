// Shrinks a picture by area averaging: every new pixel is the mean of the part of the old
// picture it covers, whole old pixels and fractions of the ones on its border weighted by
// the area they share with it (an exact box filter). The fourth byte is averaged as a
// channel of its own, not used to weight the colours: what it means depends on the format
// the picture came from (opacity in a PNG, filler the decoder sets in a JPEG), and the
// saver reads the re-encoded picture's fourth byte exactly as it read the original's.
#pragma once

#include "make/picture/RgbaImage.h"

#include <cstdint>
#include <vector>

// The picture at width x height (each at least 1, and no larger than the source's: this
// is for shrinking; enlarging falls back to the same arithmetic, which then repeats pixels).
RgbaImage AreaResample(const RgbaImage& source, int width, int height);

// The same shrinking for a picture whose rows arrive one at a time, top row first, so that
// a picture too large for memory can be shrunk while it is decoded: only the sums of the
// new rows an old row contributes to are held (two rows when shrinking). AreaResample is
// this with every row of its source, so both give the same bytes.
class RowShrinker {
  public:
    RowShrinker(int oldWidth, int oldHeight, int width, int height);
    // The next old row: oldWidth pixels of four bytes.
    void AddRow(const uint8_t* row);
    // The new picture, complete once every old row has been added.
    RgbaImage& Result() { return m_out; }

  private:
    struct Span {
        int first = 0;
        std::vector<double> weights;
    };
    static std::vector<Span> Spans(int oldSize, int newSize);
    void FinishRow(size_t row, const std::vector<double>& sum);

    std::vector<Span> m_columns, m_rows;
    size_t m_rowValues;
    int m_oldRow = 0;
    size_t m_firstOpen = 0;                  // the first new row not yet written
    std::vector<std::vector<double>> m_open; // sums of new rows m_firstOpen, ...
    RgbaImage m_out;
};

// The size a picture of width x height takes when its longer side is brought down to
// maxSide (keeping the proportions, each side at least 1); unchanged when maxSide is 0 or
// the picture is no larger.
void ShrunkSize(int width, int height, int maxSide, int& newWidth, int& newHeight);
