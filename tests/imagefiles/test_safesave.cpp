// Saving over an existing picture when the system refuses the write: every
// writer keeps the old file byte for byte, leaves no temporary file and names
// the system's reason.
#include "SaveFaults.h"
#include "TestPictures.h"
#include "imagefiles/FMXBitmapEx.h"
#include "imagefiles/FMXPSD.h"
#include "platform/Errors.h"
#include "platform/SafeFile.h"

#include <QtTest>

#include <memory>

namespace {

// Noise does not compress: every format needs tens of KiB for it.
QImage Noise(int size)
{
    QImage img = NewBitmap(size, size);
    quint32 seed = 99;
    for (int y = 0; y < size; ++y) {
        auto *row = reinterpret_cast<quint32 *>(img.scanLine(y));
        for (int x = 0; x < size; ++x) {
            seed = seed * 1664525u + 1013904223u;
            row[x] = 0xFF000000u | (seed >> 8);
        }
    }
    return img;
}

// kind: an extension, or "layers" for the two-layer document the program saves.
void Save(const QString &kind, const QString &path, const QImage &picture)
{
    if (kind == QLatin1String("layers")) {
        TPSDFile psd;
        psd.LayerCount = 2;
        psd.Layer.resize(2);
        psd.Layer[0].Bitmap = picture;
        psd.Layer[1].Bitmap = NewBitmap(picture.width(), picture.height());
        WritePSDLayers(path, psd);
        FreePSDFile(psd);
        return;
    }
    TFMXBitmapEx bmp;
    bmp = picture;
    bmp.SaveToFileEx(path);
}

QByteArray Bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

enum Cause { DiskFull, ReadOnly, SizeLimit };

} // namespace

class TestSafeSave : public QObject
{
    Q_OBJECT

private slots:
    void keepsOldFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("cause");
        QTest::addColumn<QString>("reason");
        const std::pair<Cause, const char *> causes[]
            = {{DiskFull, "No space left on device"}, {ReadOnly, "Permission denied"}, {SizeLimit, "File too large"}};
        for (const char *kind : {"png", "jpg", "bmp", "tga", "psd", "layers"})
            for (const auto &[cause, reason] : causes)
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(kind, reason)))
                    << QString(kind) << int(cause) << QString(reason);
    }

    void keepsOldFile()
    {
        QFETCH(QString, kind);
        QFETCH(int, cause);
        QFETCH(QString, reason);
        const QString ext = kind == QLatin1String("layers") ? QStringLiteral("psd") : kind;

        QTemporaryDir tmp;
        std::unique_ptr<FullDisk> disk;
        QString folder = tmp.filePath("pictures");
        if (cause == DiskFull) {
            disk = std::make_unique<FullDisk>();
            if (!disk->ok())
                QSKIP(qPrintable(disk->whyNot()));
            folder = disk->path();
        }
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/old." + ext;
        Save(kind, path, FPicture());
        const QByteArray old = Bytes(path);
        QVERIFY(!old.isEmpty());
        QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        if (cause == DiskFull)
            before << "filler";
        before.sort();

        QString message;
        {
            std::unique_ptr<ReadOnlyFolder> readOnly;
            std::unique_ptr<FileSizeLimit> limit;
            if (cause == DiskFull) {
                disk->fill();
            } else if (cause == ReadOnly) {
                readOnly = std::make_unique<ReadOnlyFolder>(folder);
                if (!readOnly->ok())
                    QSKIP(qPrintable(readOnly->whyNot()));
            } else {
                limit = std::make_unique<FileSizeLimit>(4096);
                if (!limit->ok())
                    QSKIP(qPrintable(limit->whyNot()));
            }
            try {
                Save(kind, path, Noise(160));
            } catch (const FileError &e) {
                message = e.message();
            }
        }
        QVERIFY2(message.contains(reason), qPrintable(message));
        QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
        QVERIFY(Bytes(path) == old);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), before);
    }

    // The writer behind every save: writes anywhere in the file, and a seek
    // back to fill in a length lands in the right place.
    void writerSeeksAndCommits()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath("f.bin");
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        SafeFileWriter w(path);
        QVERIFY(w.create());
        QVERIFY(w.write("....tail") == 8);
        QVERIFY(w.seek(0));
        QVERIFY(w.write("head") == 4);
        QVERIFY(w.seek(8));
        const QByteArray big(3 << 20, 'b'); // past the writer's own buffer
        QVERIFY(w.write(big) == big.size());
        QCOMPARE(Bytes(path), QByteArray("old"));
        QVERIFY(w.commit());
        QCOMPARE(Bytes(path), "headtail" + big);
        const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                            | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
                                            | QFile::ExeOther;
        QCOMPARE(QFile::permissions(path) & modeBits, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"f.bin"});

        // Given up: the old file stays and nothing is left behind.
        SafeFileWriter gone(path);
        QVERIFY(gone.create());
        gone.write("new");
        gone.discard();
        QCOMPARE(Bytes(path).left(8), QByteArray("headtail"));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"f.bin"});
    }
};

QTEST_GUILESS_MAIN(TestSafeSave)
#include "test_safesave.moc"
