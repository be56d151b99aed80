// The picture list's helpers: folder listing and its order, word lists in
// every encoding, thumbnails, strip places and the names saved files get.
#include "ExifFixture.h"
#include "app/PictureFiles.h"
#include "platform/Errors.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

namespace {
// A grey photo of the size with a thumbnail of the fixture's quarters in its
// Exif segment, and the orientation tag, written by exiftool.
bool WithExifThumbnail(const QString &photo, QSize size, QSize thumbSize, int orientation)
{
    const QString exiftool = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    QImage grey(size, QImage::Format_RGB32);
    grey.fill(qRgb(128, 128, 128));
    QImage thumb(thumbSize, QImage::Format_RGB32);
    QPainter p(&thumb);
    const int w = thumbSize.width() / 2, h = thumbSize.height() / 2;
    p.fillRect(0, 0, w, h, QColor::fromRgb(exif::Red));
    p.fillRect(w, 0, w, h, QColor::fromRgb(exif::Green));
    p.fillRect(0, h, w, h, QColor::fromRgb(exif::Blue));
    p.fillRect(w, h, w, h, QColor::fromRgb(exif::Yellow));
    p.end();
    const QString thumbFile = photo + QStringLiteral(".thumb.jpg");
    if (!grey.save(photo, "JPEG", 95) || !thumb.save(thumbFile, "JPEG", 95))
        return false;
    QProcess tool;
    tool.start(exiftool, {QStringLiteral("-q"), QStringLiteral("-overwrite_original"),
                          QStringLiteral("-Orientation#=%1").arg(orientation),
                          QStringLiteral("-ThumbnailImage<=") + thumbFile, photo});
    return tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}
} // namespace

class TestPictureFiles : public QObject
{
    Q_OBJECT
private slots:
    void folderListingOrderAndExtension()
    {
        QTemporaryDir dir;
        for (const char *n : {"c.PNG", "b.png", "B2.png", "a.png", "d.jpg", "e.jpeg", "f.png.bak", "g.JPE", "h.Jpeg"})
            Write(dir.filePath(QString::fromLatin1(n)), "x");
        QDir(dir.path()).mkdir(QStringLiteral("sub.png"));
        QCOMPARE(ListFolderPictures(dir.path(), QStringLiteral(".png")),
                 (QStringList{"a.png", "b.png", "B2.png", "c.PNG"}));
        // The names a JPEG file goes by are one kind, whichever of them was opened.
        for (const char *ext : {".jpg", ".jpeg", ".jpe"})
            QCOMPARE(ListFolderPictures(dir.path(), QString::fromLatin1(ext)),
                     (QStringList{"d.jpg", "e.jpeg", "g.JPE", "h.Jpeg"}));
    }

    void extensions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ext");
        QTest::newRow("plain") << "/a/b.PNG"
                               << ".png";
        QTest::newRow("double") << "x.tga.bak"
                                << ".bak";
        QTest::newRow("none") << "/a.b/readme"
                              << "";
        QTest::newRow("dot file") << ".png"
                                  << ".png";
    }
    void extensions()
    {
        QFETCH(QString, name);
        QFETCH(QString, ext);
        QCOMPARE(LowerExtension(name), ext);
    }

    void wordListEncodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString words = QStringLiteral("漢字\nword two\n\nÄpfel");
        QTest::newRow("utf-8 bom crlf") << QByteArray("\xEF\xBB\xBF") + words.toUtf8().replace("\n", "\r\n");
        QTest::newRow("utf-8 lf") << words.toUtf8();
        QTest::newRow("utf-8 cr") << words.toUtf8().replace("\n", "\r");
        QByteArray le("\xFF\xFE");
        for (QChar c : words)
            le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        QTest::newRow("utf-16 le") << le;
        QByteArray be("\xFE\xFF");
        for (QChar c : words)
            be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
        QTest::newRow("utf-16 be") << be;
    }
    void wordListEncodings()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("words.txt"));
        Write(path, bytes);
        QCOMPARE(TextListWords(path),
                 (QStringList{QStringLiteral("漢字"), QStringLiteral("word two"), QStringLiteral("Äpfel")}));
        QCOMPARE(TextFileFirstLine(path), QStringLiteral("漢字"));
    }

    // A list saved by Windows in Japanese (code page 932, no byte-order mark).
    void shiftJisWordList()
    {
        const QStringList words = TextListWords(QStringLiteral(TW_APP_FIXTURES "/words_cp932.txt"));
        QCOMPARE(words, (QStringList{QStringLiteral("漢字"), QStringLiteral("今日は良い天気"), QStringLiteral("①髙﨑"),
                                     QStringLiteral("ｶﾀｶﾅ ～－")}));
        // Bytes that are neither UTF-8 nor Shift-JIS are not taken for Japanese.
        QTemporaryDir dir;
        const QString latin = dir.filePath(QStringLiteral("latin.txt"));
        Write(latin, "caf\xE9\n");
        const QStringList other = TextListWords(latin);
        QCOMPARE(other.size(), 1);
        QVERIFY(other[0].startsWith(QStringLiteral("caf")));
    }

    void wordListWithoutWordsOrFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("empty.txt"));
        Write(path, "\r\n\n\r");
        QCOMPARE(TextFileFirstLine(path), QStringLiteral("A"));
        QVERIFY(TextListWords(path).isEmpty());
        QVERIFY_THROWS_EXCEPTION(FileError, TextFileFirstLine(dir.filePath(QStringLiteral("missing.txt"))));
        // A pipe named like a word list is refused instead of waiting for a writer.
        const QString fifo = dir.filePath(QStringLiteral("pipe.txt"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY_THROWS_EXCEPTION(FileError, TextFileFirstLine(fifo));
    }

    void stripPlaces_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("places");
        QTest::newRow("1024") << 1024.0 << 9;
        QTest::newRow("1050 half to even") << 1050.0 << 10;
        QTest::newRow("1150 half to even") << 1150.0 << 10;
        QTest::newRow("too narrow") << 120.0 << 0;
        QTest::newRow("negative") << 10.0 << 0;
        QTest::newRow("very wide") << 5000.0 << 25;
    }
    void stripPlaces()
    {
        QFETCH(double, width);
        QFETCH(int, places);
        QCOMPARE(PictureCountFor(width), places);
    }

    void saveNames()
    {
        QCOMPARE(SaveFileName(QStringLiteral("/p/lesson1.jpg"), 2), QStringLiteral("/p/lesson1.png"));
        QCOMPARE(SaveFileName(QStringLiteral("/p/a.jpeg"), 1), QStringLiteral("/p/a.jpg"));
        QCOMPARE(SaveFileName(QStringLiteral("/p.d/lesson1"), 5), QStringLiteral("/p.d/lesson1.psd"));
        QCOMPARE(SaveFileName(QStringLiteral("x"), 9), QStringLiteral("x.png"));
        QCOMPARE(NowFileName(QDateTime(QDate(2024, 3, 11), QTime(14, 30, 5))), QStringLiteral("20240311_143005"));
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("20240311_143005.jpg"));
        QCOMPARE(FreeFileName(name), name);
        Write(name, "x");
        QCOMPARE(FreeFileName(name), dir.filePath(QStringLiteral("20240311_143005_1.jpg")));
    }

    void thumbnails()
    {
        QTemporaryDir dir;
        QImage img(300, 100, QImage::Format_RGB32);
        img.fill(Qt::red);
        for (int y = 0; y < 100; ++y)
            for (int x = 150; x < 300; ++x)
                img.setPixel(x, y, qRgb(0, 0, 255));
        const QString png = dir.filePath(QStringLiteral("p.png"));
        QVERIFY(img.save(png));
        QString error;
        const QImage t = MakeThumbnail(png, &error);
        // The whole picture, stretched into 90 x 90.
        QCOMPARE(t.size(), QSize(90, 90));
        QCOMPARE(t.pixel(10, 45), qRgb(255, 0, 0));
        QCOMPARE(t.pixel(80, 45), qRgb(0, 0, 255));
        const QString bad = dir.filePath(QStringLiteral("bad.jpg"));
        Write(bad, "this is not a picture");
        QVERIFY(MakeThumbnail(bad, &error).isNull());
        QVERIFY(error.contains(QStringLiteral("bad.jpg")));
        // A long line's thumbnail shows its beginning and an ellipsis, so it
        // never looks like the six-letter word it begins with.
        const QImage w = TextThumbnail(QStringLiteral("ABCDEFGH"), QString());
        QCOMPARE(w.size(), QSize(90, 90));
        QCOMPARE(w.pixel(0, 0), qRgb(255, 255, 255));
        QVERIFY(w != TextThumbnail(QStringLiteral("ABCDEF"), QString()));
        QCOMPARE(w, TextThumbnail(QStringLiteral("ABCDEXYZ"), QString()));
        QVERIFY(TextThumbnail(QStringLiteral("ABCDEF"), QString())
                != TextThumbnail(QStringLiteral("ABCDEX"), QString()));
    }

    void thumbnailsUpright_data() { exif::AddCaseRows(); }

    // A photo's thumbnail is as upright as the board shows it: the quarters of
    // the upright picture, stretched into the tile. A small photo is decoded
    // whole; a large one (more than eight times a tile) from its DC
    // coefficients.
    void thumbnailsUpright()
    {
        QFETCH(int, row);
        const exif::Case &c = exif::Cases()[row];
        for (const QSize size : {QSize(32, 16), QSize(2048, 1024)}) {
            QTemporaryDir dir;
            const QString name = dir.filePath(QStringLiteral("photo.jpg"));
            Write(name, exif::OrientedJpeg(c.orientation, size));
            QString error;
            const QImage t = MakeThumbnail(name, &error);
            QCOMPARE(t.size(), QSize(90, 90));
            QVERIFY2(exif::QuartersAre(t, c.quarters), qPrintable(exif::QuarterNames(t)));
        }
    }

    // A photo with a camera's thumbnail in its Exif segment (put there by
    // exiftool, as cameras do): the tile comes from that thumbnail, upright
    // by the photo's tag, and the photo itself (plain grey here) is not decoded.
    void exifThumbnailUsedUpright_data() { exif::AddCaseRows(); }
    void exifThumbnailUsedUpright()
    {
        QFETCH(int, row);
        const exif::Case &c = exif::Cases()[row];
        QTemporaryDir dir;
        const QString photo = dir.filePath(QStringLiteral("photo.jpg"));
        if (QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty())
            QSKIP("exiftool is not installed (Debian: libimage-exiftool-perl)");
        QVERIFY(WithExifThumbnail(photo, QSize(640, 320), QSize(240, 120), c.orientation));
        QString error;
        const QImage t = MakeThumbnail(photo, &error);
        QCOMPARE(t.size(), QSize(90, 90));
        QVERIFY2(exif::QuartersAre(t, c.quarters), qPrintable(exif::QuarterNames(t)));
    }

    // A thumbnail too small for a tile, or of other proportions than the
    // photo (bars, another crop), is not the photo: the photo is decoded.
    void exifThumbnailNotThePhoto_data()
    {
        QTest::addColumn<QSize>("thumbnail");
        QTest::newRow("too small") << QSize(120, 60);
        QTest::newRow("other proportions") << QSize(160, 120);
    }
    void exifThumbnailNotThePhoto()
    {
        QFETCH(QSize, thumbnail);
        QTemporaryDir dir;
        const QString photo = dir.filePath(QStringLiteral("photo.jpg"));
        if (QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty())
            QSKIP("exiftool is not installed (Debian: libimage-exiftool-perl)");
        QVERIFY(WithExifThumbnail(photo, QSize(640, 320), thumbnail, 1));
        QString error;
        const QImage t = MakeThumbnail(photo, &error);
        for (const QPoint at : exif::QuarterMiddles(t))
            QVERIFY2(exif::Near(t.pixel(at), qRgb(128, 128, 128), 8), qPrintable(exif::QuarterNames(t)));
    }

    void pipesNamedLikePicturesNeverBlock()
    {
        // A pipe, and links to one, named like pictures: neither listed nor
        // waited on, whatever reads them.
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("raw.png"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::link(fifo, dir.filePath(QStringLiteral("x.png"))));
        QVERIFY(QFile::link(fifo, dir.filePath(QStringLiteral("y.tga"))));
        QVERIFY(QFile::link(fifo, dir.filePath(QStringLiteral("w.txt"))));
        QVERIFY(ListFolderPictures(dir.path() + QLatin1Char('/'), QStringLiteral(".png")).isEmpty());
        for (const char *name : {"x.png", "y.tga", "raw.png"}) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            QString error;
            std::atomic<bool> finished = false;
            std::thread read([&] {
                MakeThumbnail(path, &error);
                finished = true;
            });
            const bool ended = QTest::qWaitFor([&] { return finished.load(); }, 5000);
            if (!ended) {
                // Lets the stuck reader go before failing.
                const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
            }
            read.join();
            QVERIFY2(ended, name);
            QVERIFY2(error.contains(QStringLiteral("not an ordinary file")), qPrintable(error));
        }
        QVERIFY_THROWS_EXCEPTION(FileError, TextListWords(dir.filePath(QStringLiteral("w.txt"))));
    }
};

QTEST_MAIN(TestPictureFiles)
#include "test_picturefiles.moc"
