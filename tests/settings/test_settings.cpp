// The settings store against a temporary settings folder: defaults, reading
// Setup.ini, normalisation, saving in place and atomically, the start pen and
// the pen-kind names.
#include "SaveFaults.h"
#include "platform/Errors.h"
#include "settings/Settings.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <set>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

Q_DECLARE_METATYPE(TPWMenuItem)

namespace {
QList<int> MenuKinds()
{
    QList<int> k;
    for (int i = 0; i < Settings().MenuCount; ++i)
        k << Settings().MenuItems[size_t(i)].PenType;
    return k;
}

QList<int> LnchKinds()
{
    QList<int> k;
    for (int i = 0; i < Settings().LnchCount; ++i)
        k << Settings().LnchItems[size_t(i)].PenType;
    return k;
}

QString Item(const TPWMenuItem &m)
{
    return QStringLiteral("%1/%2/%3/%4")
        .arg(PenTypeToName(m.PenType))
        .arg(m.PenColor, 8, 16, QLatin1Char('0'))
        .arg(double(m.PenThickness))
        .arg(int(m.PenDash));
}

// Names the first field in which two sets of settings differ; empty when equal.
QString Diff(const SettingsModel &a, const SettingsModel &b)
{
#define TW_FIELD(f)                                                                                                    \
    if (a.f != b.f)                                                                                                    \
        return QStringLiteral(#f);
    TW_FIELD(isMaximized)
    TW_FIELD(MenuCount)
    for (size_t i = 0; i < a.MenuItems.size(); ++i)
        if (a.MenuItems[i] != b.MenuItems[i])
            return QStringLiteral("MenuItems[%1]: %2 vs %3").arg(i).arg(Item(a.MenuItems[i]), Item(b.MenuItems[i]));
    for (size_t i = 0; i < a.StockPens.size(); ++i)
        if (a.StockPens[i] != b.StockPens[i])
            return QStringLiteral("StockPens[%1]: %2 vs %3").arg(i).arg(Item(a.StockPens[i]), Item(b.StockPens[i]));
    TW_FIELD(LnchCount)
    TW_FIELD(LnchItems)
    TW_FIELD(PenSetupThickness)
    TW_FIELD(PenSetupColor)
    TW_FIELD(ImageTypeDefault)
    TW_FIELD(ImageJPEGQuality)
    if (a.ImagePathDefault != b.ImagePathDefault)
        return QStringLiteral("ImagePathDefault: %1 vs %2").arg(a.ImagePathDefault, b.ImagePathDefault);
    TW_FIELD(isSmoothing)
    TW_FIELD(isScreenPenWidth)
    TW_FIELD(isKeepStrokes)
    TW_FIELD(isShareThumbnails)
    TW_FIELD(ReplayStrokeMs)
    TW_FIELD(isPressure)
    TW_FIELD(MaxPictureCount)
    TW_FIELD(FillColor)
    TW_FIELD(DrawColor)
    TW_FIELD(LineWidth)
    TW_FIELD(LineHeight)
    if (a.NumFont != b.NumFont || a.BkFont != b.BkFont)
        return QStringLiteral("fonts: %1, %2 vs %3, %4").arg(a.NumFont, a.BkFont, b.NumFont, b.BkFont);
#undef TW_FIELD
    return a == b ? QString() : QStringLiteral("operator== disagrees");
}

SettingsModel Defaults()
{
    const SettingsModel kept = Settings();
    LoadSettings();
    const SettingsModel d = Settings();
    Settings() = kept;
    return d;
}

void WriteSetup(const QByteArray &text)
{
    QVERIFY(QDir().mkpath(SettingsFolder()));
    QFile f(SettingsFilePath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(text), text.size());
}

QByteArray SetupBytes()
{
    QFile f(SettingsFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A tool bar entry of the Menu section for slot 0 (with Count=1).
QByteArray MenuFile(const QByteArray &entryLines) { return "[Menu]\nCount=1\n" + entryLines; }

void MakeDesktopProgram(bool present)
{
    if (present) {
        QFile f(DesktopProgramPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else {
        QFile::remove(DesktopProgramPath());
    }
}
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    QString Tmp() const { return m_dir->path(); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        SetSettingsFolder(Tmp() + QStringLiteral("/ORVEN PROJECT/TOVAREK WBD"));
        SetMirrorViewExists(false);
        MakeDesktopProgram(false);
        SetDefaultSettings();
    }
    void cleanup()
    {
        MakeDesktopProgram(false);
        m_dir.reset();
    }

    void defaultsWithoutFile_data()
    {
        QTest::addColumn<bool>("mirror");
        QTest::addColumn<QList<int>>("menu");
        QTest::addColumn<QList<int>>("launcher");
        const QList<int> head = {pwOpen,    pwSaveAs,   pwUndo, pwRedo,     pwMarkPtr, pwMarkPtr,
                                 pwMarkPtr, pwPenSetup, pwEr,   pwEraseAll, pwMove,    pwCenter};
        QList<int> lnch = {pwOpen,  pwSaveAs, pwUndo, pwRedo, pwPrev,   pwNext,  pwEr,      pwEraseAll,
                           pwZoom0, pwZoom1,  pwMove, pwWBrd, pwCenter, pwLasso, pwPenSetup};
        for (int i = 0; i < 10; ++i)
            lnch << pwMarkPtr;
        QTest::newRow("one monitor") << false << head + QList<int>{pwInfo, pwLaunch, pwSetup}
                                     << lnch + QList<int>{pwTurnL,  pwTurnR, pwExport, pwPrint,
                                                          pwReplay, pwInfo,  pwClose};
        QTest::newRow("mirror view") << true << head + QList<int>{pwMView, pwInfo, pwLaunch, pwSetup}
                                     << lnch + QList<int>{pwMView, pwTurnL,  pwTurnR, pwExport,
                                                          pwPrint, pwReplay, pwInfo,  pwClose};
    }
    void defaultsWithoutFile()
    {
        QFETCH(bool, mirror);
        QFETCH(QList<int>, menu);
        QFETCH(QList<int>, launcher);
        SetMirrorViewExists(mirror);
        SetDefaultSettings();
        // Before normalisation the launcher command stands where the defaults put it.
        QCOMPARE(int(Settings().MenuItems[10].PenType), int(pwLaunch));

        LoadSettings();
        const SettingsModel &s = Settings();
        QCOMPARE(MenuKinds(), menu);
        QCOMPARE(s.MenuCount, mirror ? 16 : 15);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(s.MenuItems[size_t(4 + i)], MakeMenuItem(pwMarkPtr, TAlphaColor(i), 1));
        QCOMPARE(s.MenuItems[8], MakeMenuItem(pwEr, 0xFFFFFFFF, 40));
        QCOMPARE(int(s.MenuItems[size_t(s.MenuCount)].PenType), int(pwNone));
        QCOMPARE(LnchKinds(), launcher);
        QCOMPARE(s.LnchItems[24], MakeMenuItem(pwMarkPtr, 9, 1));
        QCOMPARE(s.StockPens[5], MakeMenuItem(pwPn, 0xFF000000, 8, sdDash));
        QCOMPARE(s.StockPens[7], MakeMenuItem(pwRbMk, 0xFFFFFFFF, 40));
        QCOMPARE(s.PenSetupColor[9], 0xFFB865CCu);
        QCOMPARE(s.ImagePathDefault, GetMyPicturesFolder());
        QCOMPARE(s.NumFont, DefaultFontFamily());
        QVERIFY(!DefaultFontFamily().isEmpty());
        QCOMPARE(s.MaxPictureCount, 50);
        QVERIFY(s.isSmoothing && !s.isMaximized);
        QVERIFY(!QFileInfo::exists(SettingsFilePath())); // loading writes nothing
    }

    void menuCount_data()
    {
        QTest::addColumn<QByteArray>("count");
        QTest::addColumn<int>("read");
        QTest::addColumn<int>("normalised");
        QTest::newRow("100") << QByteArray("100") << 30 << 31;
        QTest::newRow("31") << QByteArray("31") << 30 << 31;
        QTest::newRow("hex 30") << QByteArray("$1E") << 30 << 31;
        QTest::newRow("3") << QByteArray("3") << 3 << 5;
        QTest::newRow("0") << QByteArray("0") << 0 << 2;
        QTest::newRow("-5") << QByteArray("-5") << 0 << 2;
        QTest::newRow("not a number keeps 15") << QByteArray("many") << 15 << 17;
    }
    void menuCount()
    {
        QFETCH(QByteArray, count);
        QFETCH(int, read);
        QFETCH(int, normalised);
        QByteArray file = "[Menu]\nCount=" + count + "\n";
        for (int i = 0; i < 31; ++i)
            file += QStringLiteral("PenType%1=pwPn\nPenColor%1=%1\n").arg(i).toUtf8();
        WriteSetup(file);
        ReadSetupIni();
        const SettingsModel &s = Settings();
        QCOMPARE(s.MenuCount, read);
        if (read > 0)
            QCOMPARE(s.MenuItems[size_t(read - 1)], MakeMenuItem(pwPn, 0xFF000000u + TAlphaColor(read - 1), 1));
        for (int i = read; i < MenuSlotCount; ++i)
            QCOMPARE(int(s.MenuItems[size_t(i)].PenType), int(pwNone));

        NormalizeSettings();
        QCOMPARE(s.MenuCount, normalised);
        QCOMPARE(int(s.MenuItems[size_t(normalised - 2)].PenType), int(pwLaunch));
        QCOMPARE(int(s.MenuItems[size_t(normalised - 1)].PenType), int(pwSetup));
        for (int i = 0; i < normalised - 2; ++i)
            QCOMPARE(int(s.MenuItems[size_t(i)].PenType), int(pwPn));
    }

    void entryValues_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<TPWMenuItem>("expected");
        QTest::addColumn<bool>("kept");
        // Slot 0 of the defaults (pwOpen, 0xFFFFFFFF, 1, sdSolid) supplies what the file lacks.
        QTest::newRow("pwpn in the wrong case")
            << MenuFile("PenType0=pwpn\n") << MakeMenuItem(pwNone, 0xFFFFFFFF, 1) << false;
        QTest::newRow("kind without a name")
            << MenuFile("PenType0=pwFunc\n") << MakeMenuItem(pwNone, 0xFFFFFFFF, 1) << false;
        QTest::newRow("colour 0x0000FF") << MenuFile("PenType0=pwPn\nPenColor0=0x0000FF\n")
                                         << MakeMenuItem(pwPn, 0xFF0000FF, 1) << true;
        QTest::newRow("colour $0000FF") << MenuFile("PenType0=pwPn\nPenColor0=$0000FF\n")
                                        << MakeMenuItem(pwPn, 0xFF0000FF, 1) << true;
        QTest::newRow("colour alpha dropped")
            << MenuFile("PenType0=pwMk\nPenColor0=$80FF0000\n") << MakeMenuItem(pwMk, 0xFFFF0000, 1) << true;
        QTest::newRow("colour decimal") << MenuFile("PenType0=pwPn\nPenColor0=16711680\n")
                                        << MakeMenuItem(pwPn, 0xFFFF0000, 1) << true;
        QTest::newRow("colour not a number")
            << MenuFile("PenType0=pwPn\nPenColor0=red\n") << MakeMenuItem(pwPn, 0xFFFFFFFF, 1) << true;
        QTest::newRow("thickness and dash") << MenuFile("PenType0=pwArPn1\nPenThickness0=12.5\nPenDash0=3\n")
                                            << MakeMenuItem(pwArPn1, 0xFFFFFFFF, 12.5f, sdDashDot) << true;
        QTest::newRow("dash kept as read")
            << MenuFile("PenType0=pwPn\nPenDash0=7\n") << MakeMenuItem(pwPn, 0xFFFFFFFF, 1, TStrokeDash(7)) << true;
        QTest::newRow("dash beyond a byte")
            << MenuFile("PenType0=pwPn\nPenDash0=300\n") << MakeMenuItem(pwPn, 0xFFFFFFFF, 1) << true;
        QTest::newRow("thickness not a number")
            << MenuFile("PenType0=pwPn\nPenThickness0=thin\n") << MakeMenuItem(pwPn, 0xFFFFFFFF, 1) << true;
        QTest::newRow("stock pen 3") << MenuFile("PenType0=pwMarkPtr\nPenColor0=3\n") << MakeMenuItem(pwMarkPtr, 3, 1)
                                     << true;
        QTest::newRow("stock pen 12 kept as read")
            << MenuFile("PenType0=pwMarkPtr\nPenColor0=12\n") << MakeMenuItem(pwMarkPtr, 12, 1) << true;
        QTest::newRow("pwApp without the program")
            << MenuFile("PenType0=pwApp\n") << MakeMenuItem(pwApp, 0xFFFFFFFF, 1) << false;
        const std::pair<const char *, TPWPenType> added[]
            = {{"pwExport", pwExport}, {"pwPrint", pwPrint}, {"pwReplay", pwReplay}};
        for (const auto &[name, kind] : added)
            QTest::newRow(name) << MenuFile(QByteArray("PenType0=") + name + "\n") << MakeMenuItem(kind, 0xFFFFFFFF, 1)
                                << true;
        QTest::newRow("pwSetup moves to the end")
            << MenuFile("PenType0=pwSetup\n") << MakeMenuItem(pwSetup, 0xFFFFFFFF, 1) << false;
    }
    void entryValues()
    {
        QFETCH(QByteArray, file);
        QFETCH(TPWMenuItem, expected);
        QFETCH(bool, kept);
        WriteSetup(file);
        ReadSetupIni();
        QCOMPARE(Settings().MenuCount, 1);
        QCOMPARE(Item(Settings().MenuItems[0]), Item(expected));
        NormalizeSettings();
        if (kept) {
            QCOMPARE(MenuKinds(), (QList<int>{expected.PenType, pwLaunch, pwSetup}));
            QCOMPARE(Settings().MenuItems[0], expected);
        } else {
            QCOMPARE(MenuKinds(), (QList<int>{pwLaunch, pwSetup}));
        }
    }

    // 31 entries are saved with Count 31; reading takes 30 (the last was the
    // setup command) and normalisation brings back the same 31.
    void fullToolBarRoundTrip()
    {
        const QList<TPWPenType> kinds
            = {pwPn,   pwMk,   pwEr,       pwRbPn,   pwRbMk,  pwArPn0,  pwArPn1, pwArMk0, pwArMk1, pwFuPn,
               pwFuMk, pwMove, pwEraseAll, pwOpen,   pwSave,  pwSaveAs, pwUndo,  pwRedo,  pwZoom0, pwZoom1,
               pwWBrd, pwNext, pwPrev,     pwCenter, pwMView, pwTurnR,  pwTurnL, pwLasso, pwInfo};
        SettingsModel &s = Settings();
        for (int i = 0; i < 29; ++i) {
            const TPWPenType k = i % 7 == 6 ? pwMarkPtr : kinds[i];
            s.MenuItems[size_t(i)] = k == pwMarkPtr ? MakeMenuItem(pwMarkPtr, TAlphaColor(i % 10), 1)
                                                    : MakeMenuItem(k, 0xFF000000u | TAlphaColor(i * 0x050301),
                                                                   Single(i) + 0.25f, TStrokeDash(i % 5));
        }
        s.MenuCount = 29;
        NormalizeSettings();
        QCOMPARE(s.MenuCount, 31);
        const SettingsModel saved = s;

        WriteSetupIni();
        const QByteArray file = SetupBytes();
        QVERIFY(file.contains("\nCount=31\n"));
        QVERIFY(file.contains("\nPenType30=pwSetup\n"));
        SetDefaultSettings();
        ReadSetupIni();
        QCOMPARE(s.MenuCount, 30);
        for (int i = 0; i < 30; ++i)
            QCOMPARE(Item(s.MenuItems[size_t(i)]), Item(saved.MenuItems[size_t(i)]));
        NormalizeSettings();
        QCOMPARE(s.MenuCount, 31);
        QVERIFY(s.MenuItems == saved.MenuItems);
    }

    void desktopProgram_data()
    {
        QTest::addColumn<bool>("present");
        QTest::newRow("absent") << false;
        QTest::newRow("present") << true;
    }
    void desktopProgram()
    {
        QFETCH(bool, present);
        MakeDesktopProgram(present);
        QCOMPARE(DesktopProgramExists(), present);
        WriteSetup("[Menu]\nCount=2\nPenType0=pwApp\nPenType1=pwPn\n");
        LoadSettings();
        QCOMPARE(MenuKinds(),
                 (present ? QList<int>{pwApp, pwPn, pwLaunch, pwSetup} : QList<int>{pwPn, pwLaunch, pwSetup}));
        const QList<int> lnch = LnchKinds();
        QCOMPARE(lnch.contains(pwApp), present);
        QCOMPARE(lnch.last(), int(pwClose));
        if (present)
            QCOMPARE(lnch.indexOf(pwApp), lnch.indexOf(pwInfo) - 1);
    }

    void ranges_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("expected");
        QTest::newRow("thickness 0.5") << QByteArray("[PenSetup]\nThickness2=0.5\n") << "Thickness2" << 1.0;
        QTest::newRow("thickness -3") << QByteArray("[PenSetup]\nThickness2=-3\n") << "Thickness2" << 1.0;
        QTest::newRow("thickness 1") << QByteArray("[PenSetup]\nThickness2=1\n") << "Thickness2" << 1.0;
        QTest::newRow("thickness 2.5") << QByteArray("[PenSetup]\nThickness2=2.5\n") << "Thickness2" << 2.5;
        QTest::newRow("thickness 60") << QByteArray("[PenSetup]\nThickness2=60\n") << "Thickness2" << 60.0;
        QTest::newRow("thickness 75") << QByteArray("[PenSetup]\nThickness2=75\n") << "Thickness2" << 60.0;
        QTest::newRow("pictures 10") << QByteArray("[Menu]\nMaxPictureCount=10\n") << "MaxPictureCount" << 50.0;
        QTest::newRow("pictures 50") << QByteArray("[Menu]\nMaxPictureCount=50\n") << "MaxPictureCount" << 50.0;
        QTest::newRow("pictures 123") << QByteArray("[Menu]\nMaxPictureCount=123\n") << "MaxPictureCount" << 123.0;
        QTest::newRow("pictures 300") << QByteArray("[Menu]\nMaxPictureCount=300\n") << "MaxPictureCount" << 300.0;
        QTest::newRow("pictures 400") << QByteArray("[Menu]\nMaxPictureCount=400\n") << "MaxPictureCount" << 300.0;
        QTest::newRow("pen colour made opaque")
            << QByteArray("[PenSetup]\nColor3=$000080\n") << "Color3" << double(0xFF000080u);
        // Stock pens and the white board are taken as read.
        QTest::newRow("stock pen 75") << QByteArray("[Mark]\nPenThickness4=75\n") << "StockThickness4" << 75.0;
        QTest::newRow("grid -10") << QByteArray("[WhiteBoard]\nLineHeight=-10\n") << "LineHeight" << -10.0;
    }
    void ranges()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, field);
        QFETCH(double, expected);
        WriteSetup(file);
        LoadSettings();
        const SettingsModel &s = Settings();
        const QHash<QString, double> values = {{QStringLiteral("Thickness2"), s.PenSetupThickness[2]},
                                               {QStringLiteral("MaxPictureCount"), s.MaxPictureCount},
                                               {QStringLiteral("Color3"), s.PenSetupColor[3]},
                                               {QStringLiteral("StockThickness4"), s.StockPens[4].PenThickness},
                                               {QStringLiteral("LineHeight"), s.LineHeight}};
        QCOMPARE(values.value(field, -12345), expected);
    }

    void fonts_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("kept");
        const QString installed = GetFontFamilies().value(0);
        QTest::newRow("installed") << installed << true;
        QTest::newRow("installed, other case") << installed.toUpper() << true;
        QTest::newRow("not installed") << "No Such Font Family 4711" << false;
        QTest::newRow("with @") << "@" + installed << false;
        QTest::newRow("with %") << installed + "%" << false;
        QTest::newRow("empty") << "" << false;
    }
    void fonts()
    {
        QFETCH(QString, stored);
        QFETCH(bool, kept);
        const QStringList families = GetFontFamilies();
        if (families.isEmpty())
            QSKIP("no fonts installed");
        for (const QString &f : families)
            QVERIFY2(!f.contains(QRegularExpression(QStringLiteral("[@$&%]"))), qPrintable(f));
        QVERIFY(families.contains(DefaultFontFamily()));

        WriteSetup("[PenOrder]\nNumFont=" + stored.toUtf8() + "\nBkFont=" + stored.toUtf8() + "\n");
        LoadSettings();
        const QString expected = kept ? stored : DefaultFontFamily();
        QCOMPARE(Settings().NumFont, expected);
        QCOMPARE(Settings().BkFont, expected);
        QCOMPARE(CheckFontFamily(stored), expected);
    }

    void imagePath_data()
    {
        // <tmp> is the test's folder, which holds the folder sub/ (with the file
        // file.txt), link, a link to sub, and the file file.txt; <pics> stands
        // for GetMyPicturesFolder.
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("existing folder") << "<tmp>/sub/"
                                         << "<tmp>/sub/";
        QTest::newRow("existing folder without slash") << "<tmp>/sub"
                                                       << "<tmp>/sub/";
        QTest::newRow("existing folder through a link") << "<tmp>/link"
                                                        << "<tmp>/link/";
        QTest::newRow("a missing last element is dropped") << "<tmp>/sub/Class"
                                                           << "<tmp>/sub/";
        QTest::newRow("a file names its folder") << "<tmp>/sub/file.txt"
                                                 << "<tmp>/sub/";
        QTest::newRow("vanished folder") << "<tmp>/gone/"
                                         << "<pics>";
        QTest::newRow("inside a vanished folder") << "<tmp>/gone/x"
                                                  << "<pics>";
        QTest::newRow("a file, not a folder") << "<tmp>/file.txt/"
                                              << "<pics>";
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("name in the root") << "/Class"
                                          << "/";
        QTest::newRow("doubled slash") << "<tmp>/sub//"
                                       << "<tmp>/sub//";
        QTest::newRow("relative") << "sub/"
                                  << "<pics>";
        QTest::newRow("no folder at all") << "Pictures"
                                          << "<pics>";
        QTest::newRow("empty") << ""
                               << "<pics>";
    }
    void imagePath()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QVERIFY(QDir(Tmp()).mkpath(QStringLiteral("sub")));
        for (const char *name : {"/file.txt", "/sub/file.txt"}) {
            QFile file(Tmp() + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFile::link(Tmp() + QStringLiteral("/sub"), Tmp() + QStringLiteral("/link"));
        const QString pics = GetMyPicturesFolder();
        QVERIFY(pics.endsWith(QLatin1Char('/')) && QFileInfo(pics).isDir());
        const auto expand = [&](QString v) {
            return v.replace(QStringLiteral("<tmp>"), Tmp()).replace(QStringLiteral("<pics>"), pics);
        };
        // Through the file, as a start after the folder vanished would see it.
        WriteSetup("[Setup]\nImagePathDefault=" + expand(value).toUtf8() + "\n");
        LoadSettings();
        QCOMPARE(Settings().ImagePathDefault, expand(expected));
        NormalizeSettings();
        QCOMPARE(Settings().ImagePathDefault, expand(expected));
    }

    // Keys the program no longer writes (entries beyond a smaller Count) stay
    // in the file and are ignored when it is read.
    void shrunkToolBarKeepsOldKeys()
    {
        SettingsModel &s = Settings();
        for (int i = 0; i < 18; ++i)
            s.MenuItems[size_t(i)] = MakeMenuItem(pwPn, 0xFF000000u | TAlphaColor(i), 8);
        s.MenuCount = 18;
        WriteSetupIni();
        QCOMPARE(s.MenuCount, 20);

        s.MenuItems[1].PenType = pwNone; // dropped: the rest moves up
        s.MenuCount = 3;
        NormalizeSettings();
        QCOMPARE(s.MenuCount, 4);
        const SettingsModel saved = s;
        WriteSetupIni();
        const QByteArray file = SetupBytes();
        QVERIFY(file.contains("\nCount=4\n"));
        QVERIFY(file.contains("\nPenType3=pwSetup\n"));
        QVERIFY(file.contains("\nPenType19=pwSetup\nPenColor19=16777215\nPenThickness19=1\nPenDash19=0\n"));
        QVERIFY(file.contains("\nPenType17=pwPn\nPenColor17=17\nPenThickness17=8\n"));
        QCOMPARE(file.count("PenType17="), 1);

        LoadSettings();
        QCOMPARE(Diff(Settings(), saved), QString());
    }

    // A file the program wrote reads back to the same settings, in the key
    // order of a new file, and saving again changes no byte.
    void programFileReadsBack()
    {
        const QStringList families = GetFontFamilies();
        QVERIFY(QDir(Tmp()).mkpath(QStringLiteral("my pictures")));
        SettingsModel &s = Settings();
        s.isMaximized = true;
        for (int i = 0; i < StockPenCount; ++i)
            s.StockPens[size_t(i)] = MakeMenuItem(TPWPenType(pwPn + i), 0xFF000000u | TAlphaColor(0x10305 * (i + 1)),
                                                  0.1f * Single(i + 1) + 0.5f, TStrokeDash(i % 6));
        s.MenuItems[0] = MakeMenuItem(pwFuPn, 0xFF123456, 2.75f, sdDot);
        s.MenuItems[1] = MakeMenuItem(pwMarkPtr, 9, 1);
        s.MenuItems[2] = MakeMenuItem(pwReplay, 0xFFFFFFFF, 1); // a command added after the original ones
        s.ReplayStrokeMs = 2500;
        s.PenSetupThickness = {1, 1.5f, 33.3f, 59.99f, 60};
        s.PenSetupColor[3] = 0xFF010203;
        s.ImageTypeDefault = 5;
        s.ImageJPEGQuality = 85;
        s.ImagePathDefault = Tmp() + QStringLiteral("/my pictures/");
        s.isSmoothing = false;
        s.isScreenPenWidth = false;
        s.isKeepStrokes = false;
        s.isShareThumbnails = false;
        s.isPressure = false;
        s.MaxPictureCount = 299;
        s.FillColor = 0xFF000000;
        s.DrawColor = 0xFFABCDEF;
        s.LineWidth = -7;
        s.LineHeight = 0;
        s.NumFont = families.value(families.size() - 1);
        s.BkFont = families.value(families.size() / 2);
        NormalizeSettings();
        const SettingsModel saved = s;

        WriteSetupIni();
        const QByteArray first = SetupBytes();
        SetDefaultSettings();
        ReadSetupIni();
        NormalizeSettings();
        QCOMPARE(Diff(Settings(), saved), QString());

        WriteSetupIni();
        QCOMPARE(SetupBytes(), first);
        QVERIFY(first.contains("\nPenThickness0=0.6\n"));
        QVERIFY(first.contains("\nPenType2=pwReplay\n"));
        QVERIFY(first.contains("\nThickness3=59.99\n"));
        QVERIFY(first.contains("\nFillColor=0\nDrawColor=11259375\n"));
        QVERIFY(!first.contains('\r'));

        QStringList sections;
        for (const QByteArray &line : first.split('\n'))
            if (line.startsWith('['))
                sections << QString::fromUtf8(line);
        QCOMPARE(sections, (QStringList{"[Setup]", "[Pen]", "[Menu]", "[Mark]", "[WhiteBoard]", "[PenSetup]",
                                        "[PenOrder]", "[Detailed]"}));
        QVERIFY(first.startsWith("[Setup]\nisMaximized=1\nImageTypeDefault=5\nImageJPEGQuality=85\nImagePathDefault="));
        QVERIFY(first.contains("=0\nMaxPictureCount=299\n[Mark]\n"));
        QVERIFY(first.endsWith(
            "\n[PenOrder]\nNumFont=" + saved.NumFont.toUtf8() + "\nBkFont=" + saved.BkFont.toUtf8()
            + "\n[Detailed]\nisScreenPenWidth=0\nisKeepStrokes=0\nisShareThumbnails=0\nReplayStrokeMs=2500\n"
            + "isPressure=0\n"));
    }

    // Pen widths as seen on the screen, kept strokes, shared thumbnails and
    // pressure: on by default and in a file without the keys; saving adds the keys in their own section and
    // keeps every other line.
    void detailedSwitches()
    {
        QVERIFY(Settings().isScreenPenWidth);
        QVERIFY(Settings().isKeepStrokes);
        QVERIFY(Settings().isShareThumbnails);
        QVERIFY(QDir().mkpath(SettingsFolder()));
        const QByteArray old = "[Setup]\nisMaximized=1\n[Pen]\nisSmoothing=0\n[Notes]\nmine=kept\n";
        {
            QFile f(SettingsFilePath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        LoadSettings();
        QVERIFY(Settings().isScreenPenWidth);
        QVERIFY(Settings().isKeepStrokes);
        QVERIFY(Settings().isShareThumbnails && Settings().isPressure);
        QVERIFY(Settings().isMaximized && !Settings().isSmoothing);
        Settings().isScreenPenWidth = false;
        Settings().isKeepStrokes = false;
        Settings().isShareThumbnails = false;
        Settings().isPressure = false;
        WriteSetupIni();
        const QByteArray file = SetupBytes();
        QVERIFY(file.startsWith("[Setup]\nisMaximized=1\n"));
        QVERIFY(file.contains("[Pen]\nisSmoothing=0\n"));
        QVERIFY(file.contains("[Notes]\nmine=kept\n"));
        QVERIFY(file.endsWith("[Detailed]\nisScreenPenWidth=0\nisKeepStrokes=0\nisShareThumbnails=0\nReplayStrokeMs="
                              "1000\nisPressure=0\n"));
        SetDefaultSettings();
        QVERIFY(Settings().isScreenPenWidth && Settings().isKeepStrokes && Settings().isShareThumbnails
                && Settings().isPressure);
        LoadSettings();
        QVERIFY(!Settings().isScreenPenWidth && !Settings().isKeepStrokes && !Settings().isShareThumbnails
                && !Settings().isPressure);
    }

    // As Windows' profile functions leave it, or as someone typed it there.
    void windowsStyleFile()
    {
        const QByteArray file = "\xEF\xBB\xBF; written by hand\r\n"
                                "[ SETUP ]\r\n"
                                "ISMAXIMIZED = 1\r\n"
                                "IMAGETYPEDEFAULT=$5\r\n"
                                "ImagePathDefault="
                                + Tmp().toUtf8()
                                + "/\r\n"
                                  "[PEN]\r\n"
                                  "ISSMOOTHING=0\r\n"
                                  "[MENU]\r\n"
                                  "COUNT=$3\r\n"
                                  "PENTYPE0=pwPn\r\n"
                                  "PENCOLOR0=$FF0000\r\n"
                                  "PENTHICKNESS0=12.5\r\n"
                                  "PENDASH0=2\r\n"
                                  "PENTYPE1=pwMarkPtr\r\n"
                                  "PENCOLOR1=$4\r\n"
                                  "PENTYPE2=pwEr\r\n"
                                  "MAXPICTURECOUNT=0x64\r\n"
                                  "\r\n"
                                  "[MARK]\r\n"
                                  "PENTYPE3=pwFuMk\r\n"
                                  "PENCOLOR3=$00FF00\r\n"
                                  "[WHITEBOARD]\r\n"
                                  "FILLCOLOR=$102030\r\n"
                                  "LINEWIDTH=-1\r\n"
                                  "[PENSETUP]\r\n"
                                  "THICKNESS4=33\r\n"
                                  "COLOR9=$ABCDEF\r\n"
                                  "[UNKNOWN]\r\n"
                                  "KEY=1\r\n";
        WriteSetup(file);
        LoadSettings();
        const SettingsModel &s = Settings();
        QVERIFY(s.isMaximized);
        QCOMPARE(s.ImageTypeDefault, 5);
        QCOMPARE(s.ImagePathDefault, Tmp() + QLatin1Char('/'));
        QVERIFY(!s.isSmoothing);
        QCOMPARE(MenuKinds(), (QList<int>{pwPn, pwMarkPtr, pwEr, pwLaunch, pwSetup}));
        QCOMPARE(s.MenuItems[0], MakeMenuItem(pwPn, 0xFFFF0000, 12.5f, sdDot));
        QCOMPARE(s.MenuItems[1], MakeMenuItem(pwMarkPtr, 4, 1));
        QCOMPARE(s.MenuItems[2], MakeMenuItem(pwEr, 0xFFFFFFFF, 1)); // the rest from slot 2's default
        QCOMPARE(s.MaxPictureCount, 100);
        QCOMPARE(s.StockPens[3], MakeMenuItem(pwFuMk, 0xFF00FF00, 20));
        QCOMPARE(s.FillColor, 0xFF102030u);
        QCOMPARE(s.LineWidth, -1);
        QCOMPARE(s.PenSetupThickness[4], Single(33));
        QCOMPARE(s.PenSetupColor[9], 0xFFABCDEFu);
        int index = 7;
        QCOMPARE(GetStartPen(index), s.MenuItems[0]);

        // Saving rewrites the values where they stand and keeps the rest.
        WriteSetupIni();
        const QByteArray saved = SetupBytes();
        QVERIFY(!saved.contains('\r') && !saved.startsWith("\xEF\xBB\xBF"));
        QVERIFY(saved.startsWith("; written by hand\n[ SETUP ]\nISMAXIMIZED = 1\nIMAGETYPEDEFAULT=5\n"));
        QVERIFY(saved.contains("\nCOUNT=5\nPENTYPE0=pwPn\nPENCOLOR0=16711680\nPENTHICKNESS0=12.5\n"));
        QVERIFY(saved.contains("\nPenType3=pwLaunch\n"));
        QVERIFY(saved.contains("\nMAXPICTURECOUNT=100\n"));
        QVERIFY(saved.endsWith(
            "\n[UNKNOWN]\nKEY=1\n[PenOrder]\nNumFont=" + s.NumFont.toUtf8() + "\nBkFont=" + s.BkFont.toUtf8()
            + "\n[Detailed]\nisScreenPenWidth=1\nisKeepStrokes=1\nisShareThumbnails=1\nReplayStrokeMs=1000\n"
            + "isPressure=1\n"));
        QCOMPARE(saved.toLower().count("[menu]"), 1);
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<int>>("menu"); // empty: every setting keeps its default
        QTest::newRow("empty") << QByteArray() << QList<int>();
        QByteArray garbage(64 * 1024, Qt::Uninitialized);
        QRandomGenerator rng(4711);
        for (char &c : garbage)
            c = char(rng.bounded(256));
        QTest::newRow("binary garbage") << garbage << QList<int>();
        QTest::newRow("lines without =") << QByteArray("[Menu]\nCount\nPenType0 pwPn\n= pwPn\n") << QList<int>();
        QTest::newRow("section never closed") << QByteArray("[Menu\nCount=0\n") << QList<int>();
        QTest::newRow("megabyte path") << "[Setup]\nImagePathDefault=" + QByteArray(3 << 20, 'a') << QList<int>();
        QTest::newRow("megabyte font") << "[PenOrder]\nNumFont=" + QByteArray(1 << 20, 'F') << QList<int>();
        QTest::newRow("megabyte number") << "[Menu]\nCount=" + QByteArray(1 << 20, '7') << QList<int>();
        QTest::newRow("megabyte line") << "[Menu]\n" + QByteArray(2 << 20, 'x') + "\nCount=1\nPenType0=pwMk\n"
                                       << QList<int>{pwMk, pwLaunch, pwSetup};
        QTest::newRow("duplicates: first counts")
            << QByteArray("[Menu]\nCount=2\nPenType0=pwPn\nPenType0=pwMk\nPenType1=pwUndo\n"
                          "[menu]\nCount=5\nPenType1=pwRedo\n")
            << QList<int>{pwPn, pwUndo, pwLaunch, pwSetup};
        QTest::newRow("control characters")
            << QByteArray("[Menu]\r\r\n\x01\x02=\x03\nCount=1\r\r\nPenType0=pwRbPn\t\r\r\n")
            << QList<int>{pwRbPn, pwLaunch, pwSetup};
    }
    void badInput()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<int>, menu);
        const SettingsModel defaults = Defaults();
        WriteSetup(file);
        LoadSettings();
        if (menu.isEmpty())
            QCOMPARE(Diff(Settings(), defaults), QString());
        else
            QCOMPARE(MenuKinds(), menu);
    }

    void startPen_data()
    {
        QTest::addColumn<QList<TPWMenuItem>>("menu");
        QTest::addColumn<TPWMenuItem>("expected");
        QTest::addColumn<int>("index");
        const TPWMenuItem red = MakeMenuItem(pwPn, 0xFFFF0000, 8);
        const TPWMenuItem yellow = MakeMenuItem(pwMk, 0xFFFFFF00, 30, sdDash);
        const auto stock = [](int i) {
            SetDefaultSettings();
            return Settings().StockPens[size_t(i)];
        };
        QTest::newRow("pen entry") << QList<TPWMenuItem>{MakeMenuItem(pwOpen, 0xFFFFFFFF, 1), red} << red << 7;
        QTest::newRow("eraser does not count")
            << QList<TPWMenuItem>{MakeMenuItem(pwEr, 0xFFFFFFFF, 40), MakeMenuItem(pwMarkPtr, 3, 1)} << stock(3) << 3;
        QTest::newRow("stock pen with alpha")
            << QList<TPWMenuItem>{MakeMenuItem(pwMarkPtr, 0xFF000004, 1)} << stock(4) << 4;
        QTest::newRow("stock pen 12 is passed over")
            << QList<TPWMenuItem>{MakeMenuItem(pwMarkPtr, 12, 1), MakeMenuItem(pwMarkPtr, 0xFF00000A, 1), yellow}
            << yellow << 7;
        QTest::newRow("last pen kind") << QList<TPWMenuItem>{MakeMenuItem(pwFuMk, 0xFF0000FF, 5)}
                                       << MakeMenuItem(pwFuMk, 0xFF0000FF, 5) << 7;
        QTest::newRow("none qualifies") << QList<TPWMenuItem>{MakeMenuItem(pwOpen, 0xFFFFFFFF, 1),
                                                              MakeMenuItem(pwMarkPtr, 10, 1),
                                                              MakeMenuItem(pwLaunch, 0xFFFFFFFF, 1),
                                                              MakeMenuItem(pwSetup, 0xFFFFFFFF, 1)}
                                        << stock(0) << 0;
        QTest::newRow("empty tool bar") << QList<TPWMenuItem>{} << stock(0) << 0;
    }
    void startPen()
    {
        QFETCH(QList<TPWMenuItem>, menu);
        QFETCH(TPWMenuItem, expected);
        QFETCH(int, index);
        SettingsModel &s = Settings();
        s.MenuItems.fill(MakeMenuItem(pwNone, 0xFFFFFFFF, 1));
        for (int i = 0; i < menu.size(); ++i)
            s.MenuItems[size_t(i)] = menu[i];
        s.MenuCount = int(menu.size());
        s.MenuItems[size_t(menu.size())] = MakeMenuItem(pwPn, 0xFF00FF00, 3); // beyond MenuCount: never used
        int penIndex = 7;
        QCOMPARE(Item(GetStartPen(penIndex)), Item(expected));
        QCOMPARE(penIndex, index);
    }

    void penTypeNames()
    {
        std::set<QString> names;
        std::set<int> kinds;
        for (const TPWPenEx &e : PenExTable) {
            QCOMPARE(int(PenTypeFromName(QLatin1String(e.s))), int(e.p));
            QCOMPARE(PenTypeToName(e.p), QLatin1String(e.s));
            names.insert(QLatin1String(e.s));
            kinds.insert(e.p);
        }
        QCOMPARE(names.size(), PenExTable.size());
        // Every kind has a name except these six.
        const std::set<int> unnamed = {pwNone, pwFunc, pwEdit, pwMoveV, pwMoveH, pwMarkIdx};
        for (int k = 0; k < PenTypeCount; ++k) {
            QCOMPARE(kinds.count(k) == 0, unnamed.count(k) == 1);
            if (unnamed.count(k))
                QCOMPARE(PenTypeToName(TPWPenType(k)), QStringLiteral("pwNone"));
        }
        for (const char *bad : {"pwpn", "PWPN", " pwPn", "pwPn ", "pwNone", "", "pwMarkIdx"})
            QCOMPARE(int(PenTypeFromName(QLatin1String(bad))), int(pwNone));
    }

    // The old file survives every refused write, no temporary file is left
    // behind, and the message gives the system's reason.
    void writeFailure_data()
    {
        QTest::addColumn<int>("cause");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder cannot be created") << 0 << "Not a directory";
        QTest::newRow("file size limit") << 1 << "File too large";
        QTest::newRow("read-only folder") << 2 << "Permission denied";
        QTest::newRow("Setup.ini is a folder") << 3 << "Is a directory";
        QTest::newRow("full disk") << 4 << "No space left on device";
    }
    void writeFailure()
    {
        QFETCH(int, cause);
        QFETCH(QString, reason);
        const QByteArray old = "; old file\n[Setup]\nisMaximized=1\n[Menu]\nCount=0\n";
        Settings().MaxPictureCount = 77;
        std::unique_ptr<FullDisk> disk;
        if (cause == 4) {
            disk = std::make_unique<FullDisk>();
            if (!disk->ok())
                QSKIP(qPrintable(disk->whyNot()));
            SetSettingsFolder(disk->path() + QStringLiteral("/TOVAREK WBD"));
        }
        if (cause == 0) {
            QFile blocker(Tmp() + QStringLiteral("/blocker"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            SetSettingsFolder(blocker.fileName() + QStringLiteral("/ORVEN PROJECT/TOVAREK WBD"));
        } else if (cause == 3) {
            QVERIFY(QDir().mkpath(SettingsFilePath()));
        } else {
            WriteSetup(old);
        }

        QString message;
        {
            std::unique_ptr<FileSizeLimit> limit;
            std::unique_ptr<ReadOnlyFolder> readOnly;
            if (cause == 1) {
                limit = std::make_unique<FileSizeLimit>(200);
                if (!limit->ok())
                    QSKIP(qPrintable(limit->whyNot()));
            } else if (cause == 2) {
                readOnly = std::make_unique<ReadOnlyFolder>(SettingsFolder());
                if (!readOnly->ok())
                    QSKIP(qPrintable(readOnly->whyNot()));
            } else if (cause == 4) {
                disk->fill();
            }
            try {
                WriteSetupIni();
            } catch (const FileError &e) {
                message = e.message();
            }
        }
        QCOMPARE(message, QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(SettingsFilePath())
                              + QStringLiteral(": ") + reason);
        if (cause == 1 || cause == 2 || cause == 4) {
            QCOMPARE(SetupBytes(), old);
            QStringList files = QDir(SettingsFolder()).entryList(QDir::Files | QDir::Hidden);
            QCOMPARE(files, QStringList{QStringLiteral("Setup.ini")}); // no temporary file left behind
        }
        if (cause == 3)
            QVERIFY(QFileInfo(SettingsFilePath()).isDir());
    }

    void settingsFolderBeforeStartUp()
    {
        SetSettingsFolder(QString());
        QCOMPARE(SettingsFolder(), GetLocalAppDataFolder() + QStringLiteral("/ORVEN PROJECT/TOVAREK WBD"));
        QVERIFY(!GetLocalAppDataFolder().endsWith(QLatin1Char('/')));
        QCOMPARE(SettingsFilePath(), SettingsFolder() + QStringLiteral("/Setup.ini"));
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
