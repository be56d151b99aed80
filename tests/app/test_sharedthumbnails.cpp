// Thumbnails shared with the desktop's cache: ours written as file managers
// expect them, theirs used when they name the file as it is now, anything
// else in the cache ignored, unreadable pictures noted once, and nothing
// written when the setting is off. The cache's names and keys are worked out
// here from the cache's rules, not from the code under test.
#include "app/PictureFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <utime.h>

namespace {

void Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A photo whose left half is red and right half blue.
void WritePhoto(const QString &path, int width = 300, int height = 100)
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(qRgb(230, 20, 20));
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x)
            img.setPixel(x, y, qRgb(20, 20, 230));
    QVERIFY(img.save(path, nullptr, 95));
}

QByteArray UriOf(const QString &path)
{
    // Only what these tests' names hold needs encoding: the space.
    return "file://" + QFileInfo(path).absoluteFilePath().toUtf8().replace(" ", "%20");
}

QString EntryName(const QString &path)
{
    return QString::fromLatin1(QCryptographicHash::hash(UriOf(path), QCryptographicHash::Md5).toHex()) + ".png";
}

qint64 MTimeOf(const QString &path) { return QFileInfo(path).lastModified().toSecsSinceEpoch(); }

// Writes a cache file as another program would.
void WriteEntry(const QString &file, const QImage &img, const QByteArray &uri, qint64 mtime)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QImage keyed = img;
    keyed.setText("Thumb::URI", QString::fromUtf8(uri));
    keyed.setText("Thumb::MTime", QString::number(mtime));
    QVERIFY(keyed.save(file, "png"));
}

QImage Solid(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

bool IsPhotoTile(const QImage &t)
{
    return t.size() == QSize(90, 90) && qRed(t.pixel(10, 45)) > 180 && qBlue(t.pixel(80, 45)) > 180;
}

int Mode(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

QStringList FilesUnder(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

} // namespace

class TestSharedThumbnails : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cache;
    QString m_root; // the cache's thumbnails folder

private slots:
    void init()
    {
        QVERIFY(QDir(m_root).removeRecursively() || !QFileInfo::exists(m_root));
        SetShareThumbnails(true);
    }

    void initTestCase()
    {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
        m_root = m_cache.path() + "/thumbnails";
    }

    void ourThumbnailIsWrittenAsTheCacheExpects_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mime");
        QTest::addColumn<QSize>("original");
        QTest::addColumn<QSize>("stored");
        QTest::newRow("jpeg, a space in the name") << "class photo.jpg"
                                                   << "image/jpeg" << QSize(300, 100) << QSize(128, 43);
        QTest::newRow("tga") << "p.tga"
                             << "image/x-tga" << QSize(300, 100) << QSize(128, 43);
        QTest::newRow("small png is not enlarged") << "small.png"
                                                   << "image/png" << QSize(30, 10) << QSize(30, 10);
    }

    void ourThumbnailIsWrittenAsTheCacheExpects()
    {
        QFETCH(QString, name);
        QFETCH(QString, mime);
        QFETCH(QSize, original);
        QFETCH(QSize, stored);
        QTemporaryDir dir;
        const QString photo = dir.filePath(name);
        if (name.endsWith(".tga")) {
            const QString png = dir.filePath("p.png");
            WritePhoto(png, original.width(), original.height());
            TFMXBitmapEx bmp;
            bmp = QImage(png);
            bmp.SaveToFileEx(photo);
            QFile::remove(png);
        } else {
            WritePhoto(photo, original.width(), original.height());
        }
        QString error;
        const QImage tile = MakeThumbnail(photo, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(tile.size(), QSize(90, 90));

        const QString entry = m_root + "/normal/" + EntryName(photo);
        QVERIFY2(QFileInfo::exists(entry), qPrintable(FilesUnder(m_root).join(' ')));
        QCOMPARE(Mode(entry), 0600);
        QCOMPARE(Mode(m_root), 0700);
        QCOMPARE(Mode(m_root + "/normal"), 0700);
        QImageReader r(entry);
        const QImage img = r.read();
        // The aspect kept, to the pixel.
        QCOMPARE(img.width(), stored.width());
        QVERIFY(qAbs(img.height() - stored.height()) <= 1);
        QCOMPARE(img.text("Thumb::URI").toUtf8(), UriOf(photo));
        QCOMPARE(img.text("Thumb::MTime").toLongLong(), MTimeOf(photo));
        QCOMPARE(img.text("Thumb::Size").toLongLong(), QFileInfo(photo).size());
        QCOMPARE(img.text("Thumb::Mimetype"), mime);
        QCOMPARE(img.text("Thumb::Image::Width").toInt(), original.width());
        QCOMPARE(img.text("Thumb::Image::Height").toInt(), original.height());
        QVERIFY(img.text("Software").startsWith("TOVAREK W"));
        // Only the thumbnail: no temporary file is left beside it.
        QCOMPARE(FilesUnder(m_root).size(), 1);
    }

    // The thumbnail of a picture the board has read already is made from
    // those pixels: the same tile as from the file (to rounding), the same
    // entry in the cache; a valid entry there is used as from the file.
    void thumbnailOfAPictureReadAlready()
    {
        QTemporaryDir dir;
        const QString photo = dir.filePath("p.jpg");
        WritePhoto(photo, 2000, 600);
        const QImage picture = QImage(photo).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QVERIFY(MakeThumbnailOf(photo, QImage()).isNull());
        const QImage tile = MakeThumbnailOf(photo, picture);
        QCOMPARE(tile.size(), QSize(90, 90));
        const QString entry = m_root + "/normal/" + EntryName(photo);
        const QImage written(entry);
        QCOMPARE(written.size(), QSize(128, 38));
        QCOMPARE(written.text("Thumb::URI").toUtf8(), UriOf(photo));
        QCOMPARE(written.text("Thumb::Image::Width").toInt(), 2000);
        QCOMPARE(written.text("Thumb::Image::Height").toInt(), 600);

        QVERIFY(QFile::remove(entry));
        QString error;
        const QImage fromFile = MakeThumbnail(photo, &error).convertToFormat(tile.format());
        int worst = 0;
        for (int y = 0; y < tile.height(); ++y)
            for (int x = 0; x < tile.width(); ++x) {
                const QRgb a = tile.pixel(x, y), b = fromFile.pixel(x, y);
                worst = std::max(
                    {worst, qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))});
            }
        // The halves' border falls between pixels differently; elsewhere only rounding.
        QVERIFY2(worst <= 40, qPrintable(QString::number(worst)));
        QVERIFY(qAbs(qRed(tile.pixel(10, 45)) - 230) <= 4 && qAbs(qBlue(tile.pixel(80, 45)) - 230) <= 4);

        WriteEntry(entry, Solid(128, 38, qRgb(0, 200, 0)), UriOf(photo), MTimeOf(photo));
        QCOMPARE(MakeThumbnailOf(photo, picture).pixel(45, 45), qRgb(0, 200, 0));
    }

    // Another program's thumbnail of the file as it is now is used as it is
    // (here green, which the photo is not), from normal or from large.
    void validThumbnailOfAnotherProgramIsUsed_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QSize>("size");
        QTest::newRow("normal") << "normal" << QSize(128, 43);
        QTest::newRow("large") << "large" << QSize(256, 85);
    }

    void validThumbnailOfAnotherProgramIsUsed()
    {
        QFETCH(QString, folder);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        const QString photo = dir.filePath("p.jpg");
        WritePhoto(photo);
        const QString entry = m_root + '/' + folder + '/' + EntryName(photo);
        WriteEntry(entry, Solid(size.width(), size.height(), qRgb(0, 200, 0)), UriOf(photo), MTimeOf(photo));
        QString error;
        const QImage tile = MakeThumbnail(photo, &error);
        QCOMPARE(tile.size(), QSize(90, 90));
        QCOMPARE(tile.pixel(45, 45), qRgb(0, 200, 0));
        // Nothing new written: the cache already had what we need.
        QCOMPARE(FilesUnder(m_root), QStringList{entry});
    }

    // Whatever else sits under the file's name is ignored, the picture is
    // read, and our own thumbnail takes the place.
    void staleForeignOrDamagedEntriesAreIgnored_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("stale modification time") << "stale";
        QTest::newRow("another file's URI") << "uri";
        QTest::newRow("no keys") << "nokeys";
        QTest::newRow("not a PNG") << "garbage";
        QTest::newRow("cut-off PNG") << "cut";
        QTest::newRow("larger than a normal thumbnail") << "huge";
        QTest::newRow("file over the size limit") << "bloated";
        QTest::newRow("a folder in its place") << "folder";
    }

    void staleForeignOrDamagedEntriesAreIgnored()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString photo = dir.filePath("p.jpg");
        WritePhoto(photo);
        const QString entry = m_root + "/normal/" + EntryName(photo);
        const QImage green = Solid(128, 43, qRgb(0, 200, 0));
        const QByteArray uri = UriOf(photo);
        const qint64 mtime = MTimeOf(photo);
        QDir().mkpath(m_root + "/normal");
        if (kind == "stale") {
            WriteEntry(entry, green, uri, mtime - 60);
        } else if (kind == "uri") {
            WriteEntry(entry, green, UriOf(dir.filePath("q.jpg")), mtime);
        } else if (kind == "nokeys") {
            QVERIFY(green.save(entry, "png"));
        } else if (kind == "garbage") {
            Write(entry, QByteArray("\x89PNG but not really") + QByteArray(5000, '\x7f'));
        } else if (kind == "cut") {
            WriteEntry(entry, green, uri, mtime);
            QFile f(entry);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.resize(f.size() / 2));
        } else if (kind == "huge") {
            WriteEntry(entry, Solid(4000, 20, qRgb(0, 200, 0)), uri, mtime);
        } else if (kind == "bloated") {
            // A valid thumbnail followed by megabytes of padding: never read whole.
            WriteEntry(entry, green, uri, mtime);
            QFile f(entry);
            QVERIFY(f.open(QIODevice::Append));
            f.write(QByteArray(3 << 20, '\0'));
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(entry));
        }
        QString error;
        const QImage tile = MakeThumbnail(photo, &error);
        QVERIFY2(IsPhotoTile(tile), qPrintable(QColor(tile.pixel(45, 45)).name()));
        if (kind == "folder")
            return;
        // Replaced by ours, which names the file as it is.
        const QImage now(entry);
        QCOMPARE(now.text("Thumb::URI").toUtf8(), uri);
        QCOMPARE(now.text("Thumb::MTime").toLongLong(), mtime);
        QCOMPARE(now.width(), 128);
    }

    // An unreadable picture is noted under fail/ and, while unchanged, not
    // read again: here it becomes a good JPEG behind the same modification
    // time and still gets the broken tile with the reason first given.
    void unreadablePicturesAreNotedAndNotReadAgain()
    {
        QTemporaryDir dir;
        const QString photo = dir.filePath("bad.jpg");
        Write(photo, "this is not a picture");
        QString first;
        QVERIFY(MakeThumbnail(photo, &first).isNull());
        QVERIFY(first.contains("bad.jpg"));
        const QStringList noted = FilesUnder(m_root + "/fail");
        QCOMPARE(noted.size(), 1);
        QVERIFY2(noted[0].contains(QRegularExpression("/fail/tovarek-w-[0-9.]+/" + EntryName(photo) + "$")),
                 qPrintable(noted[0]));
        const QImage mark(noted[0]);
        QCOMPARE(mark.text("Thumb::URI").toUtf8(), UriOf(photo));
        QCOMPARE(mark.text("Thumb::MTime").toLongLong(), MTimeOf(photo));
        QCOMPARE(Mode(noted[0]), 0600);
        QVERIFY(FilesUnder(m_root + "/normal").isEmpty());

        const qint64 mtime = MTimeOf(photo);
        WritePhoto(photo);
        struct utimbuf times = {time_t(mtime), time_t(mtime)};
        QCOMPARE(::utime(QFile::encodeName(photo).constData(), &times), 0);
        QString again;
        QVERIFY(MakeThumbnail(photo, &again).isNull());
        QCOMPARE(again, first);

        // Changed: read again, and it is a picture now.
        times = {time_t(mtime + 5), time_t(mtime + 5)};
        QCOMPARE(::utime(QFile::encodeName(photo).constData(), &times), 0);
        QString none;
        QVERIFY(IsPhotoTile(MakeThumbnail(photo, &none)));
        QVERIFY(none.isEmpty());
    }

    // Off, the cache is only read: neither thumbnails nor failures are written.
    void settingOffWritesNothing()
    {
        SetShareThumbnails(false);
        QTemporaryDir dir;
        const QString good = dir.filePath("p.jpg"), bad = dir.filePath("bad.jpg"), known = dir.filePath("k.jpg");
        WritePhoto(good);
        WritePhoto(known);
        Write(bad, "this is not a picture");
        const QString entry = m_root + "/normal/" + EntryName(known);
        WriteEntry(entry, Solid(128, 43, qRgb(0, 200, 0)), UriOf(known), MTimeOf(known));
        QString error;
        QVERIFY(IsPhotoTile(MakeThumbnail(good, &error)));
        QVERIFY(MakeThumbnail(bad, &error).isNull());
        QCOMPARE(MakeThumbnail(known, &error).pixel(45, 45), qRgb(0, 200, 0));
        QCOMPARE(FilesUnder(m_root), QStringList{entry});
    }
};

QTEST_MAIN(TestSharedThumbnails)
#include "test_sharedthumbnails.moc"
