#include "make/picture/AreaResample.h"

#include <algorithm>
#include <cmath>

namespace {
// The old pixels one new pixel covers along one axis: the first one's index and the
// weight of each (the covered length over the new pixel's length; they sum to 1).
struct Span {
    int first = 0;
    std::vector<double> weights;
};

// New pixel i covers old coordinates [i * scale, (i + 1) * scale), scale = old / new.
std::vector<Span> Spans(int oldSize, int newSize) {
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

uint8_t ToByte(double v) {
    return static_cast<uint8_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0));
}
} // namespace

RgbaImage AreaResample(const RgbaImage& source, int width, int height) {
    RgbaImage out;
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    const std::vector<Span> columns = Spans(source.width, width);
    const std::vector<Span> rows = Spans(source.height, height);

    // One new row at a time: the weighted sum of the old rows it covers, then each new
    // pixel from the old columns it covers.
    const size_t oldRowValues = static_cast<size_t>(source.width) * 4;
    std::vector<double> sum(oldRowValues);
    uint8_t* to = out.pixels.data();
    for (const Span& row : rows) {
        std::fill(sum.begin(), sum.end(), 0.0);
        for (size_t k = 0; k < row.weights.size(); ++k) {
            const uint8_t* from = source.pixels.data() + (row.first + k) * oldRowValues;
            const double w = row.weights[k];
            for (size_t x = 0; x < oldRowValues; ++x) {
                sum[x] += from[x] * w;
            }
        }
        for (const Span& column : columns) {
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
    return out;
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
