// libFuzzer target for the TGA reader. A picture that reads is written again
// (32-bit raw and 24-bit RLE) and must read back to the same pixels.
#include "imagefiles/FMXTGA.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Huge declared sizes only slow the fuzzer down; the size limit has its own test.
    if (size >= 16) {
        const int width = data[12] | (data[13] << 8), height = data[14] | (data[15] << 8);
        if (qint64(width) * height > (1 << 20))
            return 0;
    }
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QImage img;
    TTGAParamsVals params;
    params.ResetInfo();
    const ImageReadResult result = ReadTGAData(bytes, img, params);
    if (result.status == ImageReadStatus::Rejected || img.width() * img.height() > (1 << 18))
        return 0;

    for (int alpha = 0; alpha < 2; ++alpha) {
        TTGAParamsVals out;
        out.fAlphaUsed = alpha;
        out.fTGA_Compressed = !alpha;
        out.fTGA_Author = params.fTGA_Author;
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!WriteTGA(buffer, img, out))
            std::abort();
        QImage back;
        TTGAParamsVals in;
        if (!ReadTGAData(buffer.data(), back, in).read() || back.size() != img.size())
            std::abort();
        if (in.fTGA_Author != params.fTGA_Author.left(40) && params.fTGA_Author.size() <= 40)
            std::abort();
        for (int y = 0; y < img.height(); ++y) {
            const auto *a = reinterpret_cast<const quint32 *>(img.constScanLine(y));
            const auto *b = reinterpret_cast<const quint32 *>(back.constScanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                const bool same = alpha ? a[x] == b[x]
                                        : (qUnpremultiply(a[x]) & 0xFFFFFF) == (b[x] & 0xFFFFFF) || qAlpha(a[x]) == 0;
                if (!same)
                    std::abort();
            }
        }
    }
    return 0;
}
