// libFuzzer target for the PSD reader. A picture that reads is written again,
// flat and as one layer, and both must read back to its colours.
#include "imagefiles/FMXPSD.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

quint32 BE32(const uint8_t *p) { return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3]; }

// The colour a flat document keeps of a bitmap pixel: straight, opaque.
quint32 FlatColour(quint32 p) { return qAlpha(p) == 0 ? 0xFF000000u : (qUnpremultiply(p) | 0xFF000000u); }

void CheckBack(const QByteArray &file, const QImage &expected)
{
    QImage back;
    if (!ReadPSDData(file, back).read() || back.size() != expected.size())
        std::abort();
    for (int y = 0; y < expected.height(); ++y) {
        const auto *a = reinterpret_cast<const quint32 *>(expected.constScanLine(y));
        const auto *b = reinterpret_cast<const quint32 *>(back.constScanLine(y));
        for (int x = 0; x < expected.width(); ++x) {
            if (a[x] != b[x])
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Huge declared sizes only slow the fuzzer down; the size limit has its own test.
    if (size >= 22 && quint64(BE32(data + 14)) * BE32(data + 18) > (1u << 20))
        return 0;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QImage img;
    const ImageReadResult result = ReadPSDData(bytes, img);
    if (result.status == ImageReadStatus::Rejected || img.width() * img.height() > (1 << 18))
        return 0;
    // Wider documents read, but a PSD (version 1) document cannot hold them.
    if (img.width() > PSDMaxSide || img.height() > PSDMaxSide) {
        QBuffer refused;
        refused.open(QIODevice::WriteOnly);
        if (WritePSD(refused, img) || refused.size() != 0)
            std::abort();
        return 0;
    }

    QImage flat = img;
    for (int y = 0; y < flat.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(flat.scanLine(y));
        for (int x = 0; x < flat.width(); ++x)
            row[x] = FlatColour(row[x]);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!WritePSD(buffer, img))
        std::abort();
    CheckBack(buffer.data(), flat);

    // One opaque layer: the merged image is the layer itself.
    if (!img.hasAlphaChannel() || flat == img) {
        TPSDFile psd;
        psd.LayerCount = 1;
        psd.Layer.resize(1);
        psd.Layer[0].Bitmap = flat;
        QBuffer layered;
        layered.open(QIODevice::WriteOnly);
        if (!WritePSDLayers(layered, psd))
            std::abort();
        CheckBack(layered.data(), flat);
        FreePSDFile(psd);
    }
    return 0;
}
