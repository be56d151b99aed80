// Replays the fuzzers' seed corpora and every input that once broke a reader
// (fuzz/imagefiles) through both readers and TFMXBitmapEx, in every build.
#include "imagefiles/FMXBitmapEx.h"
#include "imagefiles/FMXPSD.h"
#include "imagefiles/FMXTGA.h"
#include "platform/Errors.h"

#include <QDir>
#include <QtTest>

class TestFuzzInputs : public QObject
{
    Q_OBJECT

    static QString folder(const char *name)
    {
        return qEnvironmentVariable("TW_SOURCE_DIR") + "/fuzz/imagefiles/" + name;
    }

private slots:
    void inputs_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("valid"); // a seed the program wrote: it must read
        for (const char *dir : {"corpus_tga", "corpus_psd", "crashers"}) {
            const QDir d(folder(dir));
            QVERIFY2(d.exists(), qPrintable(d.path()));
            for (const QString &name : d.entryList(QDir::Files))
                QTest::newRow(qPrintable(QString("%1/%2").arg(dir, name)))
                    << d.filePath(name) << (QByteArray(dir) != "crashers");
        }
    }

    void inputs()
    {
        QFETCH(QString, path);
        QFETCH(bool, valid);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        const bool psd = path.endsWith(".psd");

        QImage img;
        TTGAParamsVals params;
        const ImageReadResult tga = ReadTGAData(data, img, params);
        const ImageReadResult doc = ReadPSDData(data, img);
        if (valid)
            QVERIFY((psd ? doc : tga).read());

        TFMXBitmapEx bmp;
        try {
            bmp.LoadFromFileEx(path, 0);
            QVERIFY(bmp.width() > 0 && bmp.height() > 0);
        } catch (const FileError &e) {
            QVERIFY2(!valid, qPrintable(e.message()));
            QCOMPARE(bmp.size(), QSize(0, 0));
        }
    }
};

QTEST_GUILESS_MAIN(TestFuzzInputs)
#include "test_fuzzinputs.moc"
