#include "make/picture/AreaResample.h"

#include <algorithm>
#include <cmath>

namespace {
uint8_t ToByte(double v) {
    return static_cast<uint8_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0));
}
} // namespace

// New pixel i covers old coordinates [i * scale, (i + 1) * scale), scale = old / new: the
// first old pixel it touches and the weight of each (the covered length over the new
// pixel's length; they sum to 1).
std::vector<RowShrinker::Span> RowShrinker::Spans(int oldSize, int newSize) {
    const double scale = static_cast<double>(oldSize) / newSize;
    std::vector<Span> spans(static_cast<size_t>(newSize));
    for (int i = 0; i < newSize; ++i) {
        const double begin = i * scale;
        const double end = std::min<double>((i + 1) * scale, oldSize);
        Span& s = spans[static_cast<size_t>(i)];
        s.first = std::min(static_cast<int>(begin), oldSize - 1);
        for (int j = s.first; j < oldSize && j < end; ++j) {
            const double covered = std::min<double>(j + 1, end) - std::max<double>(j, begin);
            s.weights.push_back(covered / scale);
        }
    }
    return spans;
}

RowShrinker::RowShrinker(int oldWidth, int oldHeight, int width, int height)
    : m_columns(Spans(oldWidth, width)), m_rows(Spans(oldHeight, height)),
      m_rowValues(static_cast<size_t>(oldWidth) * 4) {
    m_out.width = width;
    m_out.height = height;
    m_out.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
}

// A new row is the weighted sum of the old rows it covers, added in order from 0; then each
// new pixel is taken from the old columns it covers.
void RowShrinker::AddRow(const uint8_t* from) {
    const int j = m_oldRow++;
    for (size_t i = m_firstOpen; i < m_rows.size() && m_rows[i].first <= j; ++i) {
        const Span& row = m_rows[i];
        const size_t k = static_cast<size_t>(j - row.first);
        if (k >= row.weights.size()) {
            continue;
        }
        if (i - m_firstOpen == m_open.size()) {
            m_open.emplace_back(m_rowValues, 0.0);
        }
        std::vector<double>& sum = m_open[i - m_firstOpen];
        const double w = row.weights[k];
        for (size_t x = 0; x < m_rowValues; ++x) {
            sum[x] += from[x] * w;
        }
    }
    while (m_firstOpen < m_rows.size() && !m_open.empty() &&
           m_rows[m_firstOpen].first + static_cast<int>(m_rows[m_firstOpen].weights.size()) <=
               m_oldRow) {
        FinishRow(m_firstOpen++, m_open.front());
        m_open.erase(m_open.begin());
    }
}

void RowShrinker::FinishRow(size_t row, const std::vector<double>& sum) {
    uint8_t* to = m_out.pixels.data() + row * static_cast<size_t>(m_out.width) * 4;
    for (const Span& column : m_columns) {
        double value[4] = {};
        for (size_t k = 0; k < column.weights.size(); ++k) {
            const double* s = sum.data() + (column.first + k) * 4;
            for (int c = 0; c < 4; ++c) {
                value[c] += s[c] * column.weights[k];
            }
        }
        for (int c = 0; c < 4; ++c) {
            to[c] = ToByte(value[c]);
        }
        to += 4;
    }
}

RgbaImage AreaResample(const RgbaImage& source, int width, int height) {
    RowShrinker shrinker(source.width, source.height, width, height);
    const size_t rowBytes = static_cast<size_t>(source.width) * 4;
    for (int y = 0; y < source.height; ++y) {
        shrinker.AddRow(source.pixels.data() + y * rowBytes);
    }
    return std::move(shrinker.Result());
}

void ShrunkSize(int width, int height, int maxSide, int& newWidth, int& newHeight) {
    newWidth = width;
    newHeight = height;
    const int longer = std::max(width, height);
    if (maxSide <= 0 || longer <= maxSide) {
        return;
    }
    const double scale = static_cast<double>(maxSide) / longer;
    newWidth =
        width >= height ? maxSide : std::max(1, static_cast<int>(std::lround(width * scale)));
    newHeight =
        height > width ? maxSide : std::max(1, static_cast<int>(std::lround(height * scale)));
}
