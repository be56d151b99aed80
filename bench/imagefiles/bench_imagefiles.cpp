// Decoding and encoding speed on a 4000 x 3000 picture: the TGA and PSD
// readers against stb_image and a plain memcpy, the writers against Pillow and
// ImageMagick run as separate processes on the same picture (their own time
// for the write, reported through manual timing).
#include "imagefiles/FMXPSD.h"
#include "imagefiles/FMXTGA.h"
#include "imagefiles/FileIO.h"
#include "platform/Bitmap.h"

#include "BenchShort.h"

#include <benchmark/benchmark.h>
#include <stb/stb_image.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr int Width = 4000;
constexpr int Height = 3000;

// A picture like a classroom photo with annotations: smooth gradients with a
// little noise, flat panels and a translucent pen layer of strokes.
struct Pictures {
    QTemporaryDir dir;
    QImage picture;
    QImage pen;
    QByteArray tga32, tga24, psd;

    QString path(const QString &name) const { return dir.filePath(name); }

    Pictures()
    {
        picture = NewBitmap(Width, Height);
        quint32 seed = 12345;
        for (int y = 0; y < Height; ++y) {
            auto *row = reinterpret_cast<quint32 *>(picture.scanLine(y));
            for (int x = 0; x < Width; ++x) {
                if (x > 2500 && y < 1500) {
                    row[x] = 0xFFF0F0E0u; // a flat panel
                    continue;
                }
                seed = seed * 1103515245u + 12345u;
                const int n = int((seed >> 16) & 7);
                row[x] = qRgb((x / 16 + n) & 0xFF, (y / 12 + n) & 0xFF, ((x + y) / 28) & 0xFF);
            }
        }
        pen = NewBitmap(Width, Height);
        QPainter p(&pen);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 60; ++i) {
            p.setPen(QPen(QColor::fromHsv(i * 37 % 360, 255, 255, i % 2 ? 255 : 128), 6 + i % 20));
            p.drawLine(QPointF(i * 61 % Width, i * 97 % Height), QPointF(i * 211 % Width, i * 149 % Height));
        }
        p.end();

        WriteTGAFile(path("p32.tga"), picture, "ORVEN PROJECT", true);
        WriteTGAFile(path("p24.tga"), picture, "ORVEN PROJECT", false);
        TPSDFile doc;
        doc.LayerCount = 2;
        doc.Layer.resize(2);
        doc.Layer[0].Bitmap = picture;
        doc.Layer[1].Bitmap = pen;
        WritePSDLayers(path("p.psd"), doc);
        FreePSDFile(doc);
        tga32 = ReadWholeFile(path("p32.tga"));
        tga24 = ReadWholeFile(path("p24.tga"));
        psd = ReadWholeFile(path("p.psd"));

        // The same picture for the other programs: raw RGB bytes and a MIFF each.
        QFile raw(path("p.rgb"));
        raw.open(QIODevice::WriteOnly);
        for (int y = 0; y < Height; ++y) {
            QByteArray line(Width * 3, '\0');
            const auto *src = reinterpret_cast<const quint32 *>(picture.constScanLine(y));
            for (int x = 0; x < Width; ++x) {
                line[3 * x] = char(qRed(src[x]));
                line[3 * x + 1] = char(qGreen(src[x]));
                line[3 * x + 2] = char(qBlue(src[x]));
            }
            raw.write(line);
        }
        raw.close();
        picture.convertToFormat(QImage::Format_ARGB32).save(path("picture.png"));
        pen.convertToFormat(QImage::Format_ARGB32).save(path("pen.png"));
        QImage merged = picture.copy();
        QPainter m(&merged);
        m.drawImage(0, 0, pen);
        m.end();
        merged.convertToFormat(QImage::Format_RGB32).save(path("merged.png"));
        if (HaveMagick()) {
            QProcess::execute("/usr/bin/convert", {path("picture.png"), "-alpha", "off", path("picture.miff")});
            QProcess::execute("/usr/bin/convert",
                              {path("merged.png"), path("picture.png"), path("pen.png"), path("layers.miff")});
        }
    }

    static bool HaveMagick() { return QFileInfo("/usr/bin/convert").isExecutable(); }
    static bool HavePillow()
    {
        return QFileInfo("/usr/bin/python3").isExecutable()
               && QProcess::execute("/usr/bin/python3", {"-c", "import PIL"}) == 0;
    }
};

Pictures &Data()
{
    static Pictures data;
    return data;
}

// fresh: a new bitmap each time, as stb_image has; otherwise one loader
// bitmap is reused, as for a folder of pictures of one size.
void DecodeOurs(benchmark::State &state, const QByteArray &file, bool psd, bool fresh = true)
{
    QImage img;
    for (auto _ : state) {
        TTGAParamsVals params;
        const ImageReadResult r = psd ? ReadPSDData(file, img) : ReadTGAData(file, img, params);
        if (!r.read())
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(img.constBits());
        if (fresh)
            img = QImage();
    }
    state.SetBytesProcessed(state.iterations() * qint64(Width) * Height * 4);
}

void DecodeStb(benchmark::State &state, const QByteArray &file)
{
    for (auto _ : state) {
        int w = 0, h = 0, n = 0;
        stbi_uc *p = stbi_load_from_memory(reinterpret_cast<const stbi_uc *>(file.constData()), int(file.size()), &w,
                                           &h, &n, 4);
        if (!p)
            state.SkipWithError("stb failed");
        benchmark::DoNotOptimize(p);
        stbi_image_free(p);
    }
    state.SetBytesProcessed(state.iterations() * qint64(Width) * Height * 4);
}

void BM_Decode_TGA32Raw(benchmark::State &s) { DecodeOurs(s, Data().tga32, false); }
void BM_Decode_TGA32Raw_Reused(benchmark::State &s) { DecodeOurs(s, Data().tga32, false, false); }
void BM_Decode_TGA32Raw_stb(benchmark::State &s) { DecodeStb(s, Data().tga32); }
void BM_Decode_TGA24RLE(benchmark::State &s) { DecodeOurs(s, Data().tga24, false); }
void BM_Decode_TGA24RLE_stb(benchmark::State &s) { DecodeStb(s, Data().tga24); }
void BM_Decode_PSDMerged(benchmark::State &s) { DecodeOurs(s, Data().psd, true); }
void BM_Decode_PSDMerged_stb(benchmark::State &s) { DecodeStb(s, Data().psd); }

// The floor for a raw decode: copying the pixel buffer once.
void BM_Memcpy_PixelBuffer(benchmark::State &state)
{
    const qsizetype n = qsizetype(Width) * Height * 4;
    std::unique_ptr<char[]> dst(new char[n]);
    const char *src = Data().tga32.constData() + 19;
    for (auto _ : state) {
        std::memcpy(dst.get(), src, size_t(n));
        benchmark::DoNotOptimize(dst.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * n);
}

// The same with a fresh destination each time, as a decoder has: the cost of
// the pages of a new bitmap is in it.
void BM_Memcpy_FreshBuffer(benchmark::State &state)
{
    const qsizetype n = qsizetype(Width) * Height * 4;
    const char *src = Data().tga32.constData() + 19;
    for (auto _ : state) {
        std::unique_ptr<char[]> dst(new char[n]);
        std::memcpy(dst.get(), src, size_t(n));
        benchmark::DoNotOptimize(dst.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * n);
}

// The program's save: a temporary file, flushed to the disk (fsync), then
// renamed over the target.
void BM_Encode_TGA24RLE(benchmark::State &state)
{
    for (auto _ : state)
        WriteTGAFile(Data().path("out24.tga"), Data().picture, "ORVEN PROJECT", false);
}

// The same encoder into a plain file left to the page cache, as the other
// programs write: the encoder's own time.
void BM_Encode_TGA24RLE_NoSync(benchmark::State &state)
{
    TTGAParamsVals params;
    params.fTGA_Compressed = true;
    params.fTGA_Author = "ORVEN PROJECT";
    for (auto _ : state) {
        QFile f(Data().path("out24plain.tga"));
        f.open(QIODevice::WriteOnly);
        WriteTGA(f, Data().picture, params);
    }
}

void TwoLayers(TPSDFile &doc)
{
    doc.LayerCount = 2;
    doc.Layer.resize(2);
    doc.Layer[0].Bitmap = Data().picture;
    doc.Layer[1].Bitmap = Data().pen;
}

void BM_Encode_PSDTwoLayers(benchmark::State &state)
{
    for (auto _ : state) {
        TPSDFile doc;
        TwoLayers(doc);
        WritePSDLayers(Data().path("out.psd"), doc);
        FreePSDFile(doc);
    }
}

void BM_Encode_PSDTwoLayers_NoSync(benchmark::State &state)
{
    for (auto _ : state) {
        TPSDFile doc;
        TwoLayers(doc);
        QFile f(Data().path("outplain.psd"));
        f.open(QIODevice::WriteOnly);
        WritePSDLayers(f, doc);
        FreePSDFile(doc);
    }
}

// Pillow's own time for im.save, measured inside its process.
void BM_Encode_TGA24RLE_Pillow(benchmark::State &state)
{
    if (!Pictures::HavePillow()) {
        state.SkipWithError("Pillow is not installed");
        return;
    }
    const QString script
        = QString("import time\nfrom PIL import Image\n"
                  "im = Image.frombytes('RGB', (%1, %2), open(r'%3', 'rb').read())\n"
                  "t = time.perf_counter()\nim.save(r'%4', compression='tga_rle')\nprint(time.perf_counter() - t)\n")
              .arg(Width)
              .arg(Height)
              .arg(Data().path("p.rgb"), Data().path("pil.tga"));
    for (auto _ : state) {
        QProcess p;
        p.start("/usr/bin/python3", {"-c", script});
        p.waitForFinished(120000);
        state.SetIterationTime(p.readAllStandardOutput().trimmed().toDouble());
    }
}

// ImageMagick's time for a write: the whole run less a run that only reads
// the same input.
double MagickWriteSeconds(const QStringList &read, const QStringList &write)
{
    auto timed = [](const QStringList &args) {
        QElapsedTimer t;
        t.start();
        QProcess::execute("/usr/bin/convert", args);
        return t.nsecsElapsed() / 1e9;
    };
    const double readOnly = timed(read + QStringList{"null:"});
    const double all = timed(read + write);
    return std::max(all - readOnly, 1e-6);
}

void BM_Encode_TGA24RLE_ImageMagick(benchmark::State &state)
{
    if (!Pictures::HaveMagick()) {
        state.SkipWithError("ImageMagick is not installed");
        return;
    }
    for (auto _ : state)
        state.SetIterationTime(
            MagickWriteSeconds({Data().path("picture.miff")}, {"-compress", "RLE", Data().path("im.tga")}));
}

// ImageMagick writes the first image as the merged image and the rest as layers.
void BM_Encode_PSDTwoLayers_ImageMagick(benchmark::State &state)
{
    if (!Pictures::HaveMagick()) {
        state.SkipWithError("ImageMagick is not installed");
        return;
    }
    for (auto _ : state)
        state.SetIterationTime(MagickWriteSeconds({Data().path("layers.miff")}, {Data().path("im.psd")}));
}

const int Reps = BenchReps(5);

// Every figure is reported as median with min and max over the repetitions.
void MinMax(benchmark::internal::Benchmark *b)
{
    b->ComputeStatistics("min", [](const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); });
    b->ComputeStatistics("max", [](const std::vector<double> &v) { return *std::max_element(v.begin(), v.end()); });
}

} // namespace

// clang-format off
BENCHMARK(BM_Memcpy_PixelBuffer)->Unit(benchmark::kMillisecond)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Memcpy_FreshBuffer)->Unit(benchmark::kMillisecond)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Decode_TGA32Raw)->Unit(benchmark::kMillisecond)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Decode_TGA32Raw_Reused)->Unit(benchmark::kMillisecond)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Decode_TGA32Raw_stb)->Unit(benchmark::kMillisecond)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Decode_TGA24RLE)->Unit(benchmark::kMillisecond)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Decode_TGA24RLE_stb)->Unit(benchmark::kMillisecond)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Decode_PSDMerged)->Unit(benchmark::kMillisecond)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Decode_PSDMerged_stb)->Unit(benchmark::kMillisecond)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Encode_TGA24RLE)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Encode_TGA24RLE_NoSync)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Encode_TGA24RLE_Pillow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Encode_TGA24RLE_ImageMagick)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Encode_PSDTwoLayers)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Encode_PSDTwoLayers_NoSync)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
BENCHMARK(BM_Encode_PSDTwoLayers_ImageMagick)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(Reps)->ReportAggregatesOnly(true)->Apply(MinMax);
// clang-format on

BENCHMARK_MAIN();
