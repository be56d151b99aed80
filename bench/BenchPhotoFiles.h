// Folders of large photo-like JPEG files for the benchmarks that read
// pictures from disk: made once where missing and kept for later runs.
#pragma once

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

// Where the photos are kept between runs: $XDG_CACHE_HOME/tovarek-w-bench/photos.
inline QString BenchPhotoFolder()
{
    const QString cacheHome = qEnvironmentVariable("XDG_CACHE_HOME");
    return (cacheHome.isEmpty() ? QDir::homePath() + QStringLiteral("/.cache") : cacheHome)
           + QStringLiteral("/tovarek-w-bench/photos");
}

// A photo-like 4000 x 3000 JPEG: smooth colour fields under fine noise, so
// that it codes (and decodes) like a photograph of a few MB.
inline bool MakePhoto(const QString &path, int seed)
{
    const int w = 4000, h = 3000;
    // The fields' waves, worked out once per column, row and diagonal.
    std::vector<double> red(w), green(w), blue(w + h);
    for (int x = 0; x < w; ++x) {
        red[x] = std::sin(x / (300.0 + 7 * seed) + seed);
        green[x] = std::cos(x / 530.0);
    }
    for (int d = 0; d < w + h; ++d)
        blue[d] = std::cos(d / (350.0 + 3 * seed));
    QImage img(w, h, QImage::Format_RGB32);
    quint32 noise = 2463534242u + quint32(seed) * 7919u;
    for (int y = 0; y < h; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        const double cy = std::cos(y / 410.0), sy = std::sin(y / (250.0 + 5 * seed) - seed);
        for (int x = 0; x < w; ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const int n = int(noise % 25) - 12;
            const int r = int(128 + 90 * red[x] * cy) + n;
            const int g = int(128 + 90 * sy * green[x]) + n;
            const int b = int(128 + 90 * blue[x + y]) + n;
            row[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    QImageWriter writer(path + QStringLiteral(".part"), "jpg");
    writer.setQuality(88);
    return writer.write(img) && QFile::rename(path + QStringLiteral(".part"), path);
}

// The first count photos of folder, made where missing (on every core).
inline QStringList Photos(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QStringList files, missing;
    for (int i = 0; i < count; ++i) {
        const QString f = QDir(folder).filePath(QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        files << f;
        if (!QFileInfo::exists(f))
            missing << f;
    }
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "making %lld photos in %s …\n", static_cast<long long>(missing.size()),
                     qPrintable(folder));
        std::atomic<int> next = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < std::max(1, QThread::idealThreadCount()); ++t)
            threads.emplace_back([&] {
                for (int k; (k = next++) < missing.size();)
                    if (!MakePhoto(missing[k], int(files.indexOf(missing[k]))))
                        std::fprintf(stderr, "cannot write %s\n", qPrintable(missing[k]));
            });
        for (std::thread &t : threads)
            t.join();
    }
    return files;
}

// A few small plain photos in folder, for the benchmarks' short mode.
inline QStringList SmallPhotos(const QString &folder, int count)
{
    QStringList files;
    QImage photo(400, 300, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i) {
        photo.fill(qRgb(40 * i, 100, 200 - 30 * i));
        files << QDir(folder).filePath(QStringLiteral("p%1.jpg").arg(i));
        photo.save(files.last());
    }
    return files;
}

// The photo's bytes with an Exif segment as a camera writes one: the
// orientation tag and a 160 x 120 JPEG thumbnail of the picture.
inline QByteArray WithCameraThumbnail(const QByteArray &jpeg, const QImage &picture)
{
    QByteArray thumb;
    {
        QBuffer buffer(&thumb);
        buffer.open(QIODevice::WriteOnly);
        picture.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).save(&buffer, "JPEG", 80);
    }
    QByteArray tiff("MM\0\x2A\0\0\0\x08", 8);
    auto u16 = [&](quint32 v) {
        tiff.append(char((v >> 8) & 0xFF));
        tiff.append(char(v & 0xFF));
    };
    auto u32 = [&](quint32 v) {
        u16(v >> 16);
        u16(v & 0xFFFF);
    };
    auto entry = [&](quint32 tag, quint32 type, quint32 value) {
        u16(tag);
        u16(type);
        u32(1);
        if (type == 3) {
            u16(value);
            u16(0);
        } else {
            u32(value);
        }
    };
    // IFD0 at 8: one entry, then IFD1 at 8 + 2 + 12 + 4 = 26: three entries, then the thumbnail.
    u16(1);
    entry(0x0112, 3, 1);
    u32(26);
    const quint32 thumbAt = 26 + 2 + 3 * 12 + 4;
    u16(3);
    entry(0x0103, 3, 6);
    entry(0x0201, 4, thumbAt);
    entry(0x0202, 4, quint32(thumb.size()));
    u32(0);
    tiff += thumb;
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray app1("\xFF\xE1", 2);
    app1.append(char((body.size() + 2) >> 8));
    app1.append(char((body.size() + 2) & 0xFF));
    app1 += body;
    QByteArray out = jpeg;
    out.insert(2, app1);
    return out;
}

// The first count photos again as a camera writes them (with an Exif
// thumbnail), in folder, made where missing.
inline QStringList CameraPhotos(const QString &folder, int count)
{
    const QStringList plain = Photos(BenchPhotoFolder(), count);
    QDir().mkpath(folder);
    QStringList files;
    for (const QString &p : plain) {
        const QString f = QDir(folder).filePath(QFileInfo(p).fileName());
        files << f;
        if (QFileInfo::exists(f))
            continue;
        QFile in(p);
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray jpeg = in.readAll();
        QImageReader reader(p);
        reader.setScaledSize(QSize(500, 375));
        QFile out(f + QStringLiteral(".part"));
        if (out.open(QIODevice::WriteOnly) && out.write(WithCameraThumbnail(jpeg, reader.read())) > 0) {
            out.close();
            QFile::rename(f + QStringLiteral(".part"), f);
        }
    }
    return files;
}
