#include "imagefiles/BoxReduce.h"

#include <algorithm>
#include <vector>

namespace {
// Sum is wide enough for rows rows of 255.
template <typename Sum> void Reduce(const QImage &src, int factor, int rows, QImage &out)
{
    const int w = out.width(), h = out.height();
    // A block's rows are summed byte by byte across the whole width first
    // (one straight pass the compiler vectorises), then each block's columns.
    const int bytes = w * factor * 4;
    std::vector<Sum> columns(size_t(bytes), 0);
    const quint32 count = quint32(factor) * quint32(rows);
    for (int y = 0; y < h; ++y) {
        std::fill(columns.begin(), columns.end(), Sum(0));
        for (int part = 0; part < rows; ++part) {
            // The middle row of each of rows equal parts of the block (every
            // row when rows is factor).
            const int r = int((2 * qint64(part) + 1) * factor / (2 * rows));
            const uchar *line = src.constScanLine(y * factor + r);
            Sum *sums = columns.data();
            for (int i = 0; i < bytes; ++i)
                sums[i] = Sum(sums[i] + line[i]);
        }
        uchar *dst = out.scanLine(y);
        const Sum *block = columns.data();
        for (int x = 0; x < w; ++x, block += factor * 4) {
            for (int c = 0; c < 4; ++c) {
                quint32 sum = 0;
                for (int i = 0; i < factor; ++i)
                    sum += block[i * 4 + c];
                dst[x * 4 + c] = uchar((sum + count / 2) / count);
            }
        }
    }
}
} // namespace

QImage BoxReduced(const QImage &picture, int factor, int maxRows)
{
    if (factor <= 1 || picture.isNull())
        return picture;
    const int w = picture.width() / factor, h = picture.height() / factor;
    if (w < 1 || h < 1)
        return {};
    const QImage::Format f = picture.format();
    const bool wide
        = f == QImage::Format_ARGB32_Premultiplied || f == QImage::Format_ARGB32 || f == QImage::Format_RGB32;
    const QImage src = wide ? picture : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(w, h, src.format());
    if (out.isNull())
        return {};
    // Each channel is averaged on its own: a mean of premultiplied pixels is
    // one too.
    const int rows = std::clamp(maxRows, 1, factor);
    if (rows <= 257)
        Reduce<quint16>(src, factor, rows, out);
    else
        Reduce<quint32>(src, factor, rows, out);
    return out;
}
