// The process-wide settings: defaults, Setup.ini, normalisation, the pen-kind
// names of the file, font families, the user's folders and the start pen.
#include "settings/Settings.h"

#include "platform/Errors.h"
#include "platform/SafeFile.h"
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>

// clang-format off
const std::array<TPWPenEx, 38> PenExTable = {{
    {"pwPn", pwPn},         {"pwMk", pwMk},         {"pwEr", pwEr},           {"pwRbPn", pwRbPn},
    {"pwRbMk", pwRbMk},     {"pwArPn0", pwArPn0},   {"pwArPn1", pwArPn1},     {"pwArMk0", pwArMk0},
    {"pwArMk1", pwArMk1},   {"pwMove", pwMove},     {"pwEraseAll", pwEraseAll}, {"pwOpen", pwOpen},
    {"pwFuPn", pwFuPn},     {"pwFuMk", pwFuMk},     {"pwSave", pwSave},       {"pwSaveAs", pwSaveAs},
    {"pwUndo", pwUndo},     {"pwRedo", pwRedo},     {"pwZoom0", pwZoom0},     {"pwZoom1", pwZoom1},
    {"pwWBrd", pwWBrd},     {"pwNext", pwNext},     {"pwPrev", pwPrev},       {"pwCenter", pwCenter},
    {"pwLaunch", pwLaunch}, {"pwMView", pwMView},   {"pwTurnR", pwTurnR},     {"pwTurnL", pwTurnL},
    {"pwLasso", pwLasso},   {"pwInfo", pwInfo},     {"pwClose", pwClose},     {"pwSetup", pwSetup},
    {"pwPenSetup", pwPenSetup}, {"pwMarkPtr", pwMarkPtr}, {"pwApp", pwApp},
    {"pwExport", pwExport}, {"pwPrint", pwPrint}, {"pwReplay", pwReplay},
}};
// clang-format on

namespace {
SettingsModel g_settings;
QString g_folder;
bool g_mirror = false;

// Commands carry no pen; the defaults fill their other fields like this.
TPWMenuItem Command(TPWPenType t, Single thickness = 1) { return MakeMenuItem(t, 0xFFFFFFFF, thickness); }

// A stock-pen reference holds the plain index, as the launcher's entries do,
// so that tool bar and launcher entries compare equal.
TPWMenuItem MarkPtr(int index) { return MakeMenuItem(pwMarkPtr, TAlphaColor(index), 1); }

constexpr TAlphaColor Opaque = 0xFF000000;
constexpr TAlphaColor Rgb = 0x00FFFFFF;

// The pens GetStartPen accepts as they stand: every drawing pen but the eraser.
bool IsStartPen(TPWPenType t) { return IsDrawingPen(t) && t != pwEr; }

bool HasGuiApplication() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }

bool IsSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == QLatin1Char('/') || c == QLatin1Char(':');
#else
    return c == QLatin1Char('/');
#endif
}

// The folder part of a path: up to its last separator, without that final
// "/" unless it is the root or follows a drive colon or another "/"
// ("/home/x/" gives "/home/x", "/" stays "/", "C:/" stays "C:/").
QString FolderPart(const QString &path)
{
    qsizetype i = path.size() - 1;
    while (i >= 0 && !IsSeparator(path[i]))
        --i;
    if (i < 0)
        return QString();
    if (path[i] == QLatin1Char('/') && i > 0 && !IsSeparator(path[i - 1]))
        return path.left(i);
    return path.left(i + 1);
}

// ImagePathDefault as normalisation leaves it: an existing folder ending with
// "/". A value that names an existing folder is that folder, whether or not
// it ends with "/" (a typed folder rarely does); any other value stands for
// the folder it lies in, so a file's path gives its folder. A relative
// folder would depend on where the program was started, so only an
// absolute one is kept.
QString NormalizeImagePath(const QString &value)
{
#ifdef Q_OS_WIN
    const QString path = QDir::fromNativeSeparators(value);
#else
    const QString &path = value;
#endif
    const auto existing = [](const QString &folder) {
        return !folder.isEmpty() && QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir();
    };
    const auto withSlash
        = [](const QString &folder) { return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'); };
    if (existing(path))
        return withSlash(path);
    const QString folder = FolderPart(path);
    if (existing(folder))
        return withSlash(folder);
    return GetMyPicturesFolder();
}

QString Indexed(const char *stem, int i) { return QLatin1String(stem) + QString::number(i); }

void ReadItem(const IniFile &ini, const QString &section, int i, TPWMenuItem &item)
{
    item.PenType = PenTypeFromName(ini.readString(section, Indexed("PenType", i), PenTypeToName(item.PenType)));
    const TAlphaColor rgb
        = TAlphaColor(ini.readInteger(section, Indexed("PenColor", i), int(item.PenColor & Rgb))) & Rgb;
    item.PenColor = item.PenType == pwMarkPtr ? rgb : rgb | Opaque;
    item.PenThickness = ini.readSingle(section, Indexed("PenThickness", i), item.PenThickness);
    // Dash ordinals are kept as read; a number no dash field can hold keeps the old one.
    const int dash = ini.readInteger(section, Indexed("PenDash", i), int(item.PenDash));
    if (dash >= 0 && dash <= 255)
        item.PenDash = TStrokeDash(dash);
}

void WriteItem(IniFile &ini, const QString &section, int i, const TPWMenuItem &item)
{
    ini.writeString(section, Indexed("PenType", i), PenTypeToName(item.PenType));
    ini.writeInteger(section, Indexed("PenColor", i), int(item.PenColor & Rgb));
    ini.writeSingle(section, Indexed("PenThickness", i), item.PenThickness);
    ini.writeInteger(section, Indexed("PenDash", i), int(item.PenDash));
}

TAlphaColor ReadColor(const IniFile &ini, const QString &section, const QString &key, TAlphaColor def)
{
    return (TAlphaColor(ini.readInteger(section, key, int(def & Rgb))) & Rgb) | Opaque;
}

void WriteColor(IniFile &ini, const QString &section, const QString &key, TAlphaColor c)
{
    ini.writeInteger(section, key, int(c & Rgb));
}

// "Unable to write to <path>", followed by the system's reason when it gave one.
[[noreturn]] void WriteFailed(const QString &path, const QString &reason)
{
    QString text = QCoreApplication::translate("Settings", "Unable to write to %1").arg(QDir::toNativeSeparators(path));
    if (!reason.isEmpty())
        text += QStringLiteral(": ") + reason;
    throw FileError(text);
}
} // namespace

SettingsModel &Settings() { return g_settings; }

QString SettingsFolder()
{
    if (g_folder.isEmpty())
        return GetLocalAppDataFolder() + QStringLiteral("/ORVEN PROJECT/TOVAREK WBD");
    return g_folder;
}

void SetSettingsFolder(const QString &folder) { g_folder = folder; }

QString SettingsFilePath() { return SettingsFolder() + QStringLiteral("/Setup.ini"); }

void SetMirrorViewExists(bool exists) { g_mirror = exists; }

bool MirrorViewExists() { return g_mirror; }

void AddMenuItem(TPWPenType t, Single thickness, TAlphaColor color, TStrokeDash dash)
{
    SettingsModel &s = g_settings;
    if (s.MenuCount < 0 || s.MenuCount >= MenuSlotCount)
        return;
    s.MenuItems[size_t(s.MenuCount++)] = MakeMenuItem(t, color, thickness, dash);
}

void AddLnchItem(TPWPenType t, Single thickness, TAlphaColor color, TStrokeDash dash)
{
    SettingsModel &s = g_settings;
    if (s.LnchCount < 0 || s.LnchCount >= LnchSlotCount)
        return;
    s.LnchItems[size_t(s.LnchCount++)] = MakeMenuItem(t, color, thickness, dash);
}

void SetDefaultSettings()
{
    SettingsModel &s = g_settings;
    s.isMaximized = false;

    s.StockPens = {MakeMenuItem(pwPn, 0xFF000000, 8),    MakeMenuItem(pwPn, 0xFFFF0000, 8),
                   MakeMenuItem(pwPn, 0xFF0000FF, 8),    MakeMenuItem(pwMk, 0xFF00FFFF, 20),
                   MakeMenuItem(pwPn, 0xFFFFFF00, 40),   MakeMenuItem(pwPn, 0xFF000000, 8, sdDash),
                   MakeMenuItem(pwRbPn, 0xFFFFFFFF, 8),  MakeMenuItem(pwRbMk, 0xFFFFFFFF, 40),
                   MakeMenuItem(pwArPn0, 0xFF000000, 8), MakeMenuItem(pwArPn1, 0xFFFF0000, 8)};

    const auto add = [](void (*to)(TPWPenType, Single, TAlphaColor, TStrokeDash), const TPWMenuItem &m) {
        to(m.PenType, m.PenThickness, m.PenColor, m.PenDash);
    };
    s.MenuCount = 0;
    s.MenuItems.fill(Command(pwNone));
    for (const TPWMenuItem &m : {Command(pwOpen), Command(pwSaveAs), Command(pwUndo), Command(pwRedo), MarkPtr(0),
                                 MarkPtr(1), MarkPtr(2), Command(pwPenSetup), Command(pwEr, 40), Command(pwEraseAll),
                                 Command(pwLaunch), Command(pwMove), Command(pwCenter)})
        add(AddMenuItem, m);
    if (MirrorViewExists())
        add(AddMenuItem, Command(pwMView));
    add(AddMenuItem, Command(pwInfo));
    add(AddMenuItem, Command(pwSetup));

    s.LnchCount = 0;
    s.LnchItems.fill(Command(pwNone));
    for (const TPWMenuItem &m :
         {Command(pwOpen), Command(pwSaveAs), Command(pwUndo), Command(pwRedo), Command(pwPrev), Command(pwNext),
          Command(pwEr, 40), Command(pwEraseAll), Command(pwZoom0), Command(pwZoom1), Command(pwMove), Command(pwWBrd),
          Command(pwCenter), Command(pwLasso), Command(pwPenSetup)})
        add(AddLnchItem, m);
    for (int i = 0; i < StockPenCount; ++i)
        add(AddLnchItem, MarkPtr(i));
    if (MirrorViewExists())
        add(AddLnchItem, Command(pwMView));
    add(AddLnchItem, Command(pwTurnL));
    add(AddLnchItem, Command(pwTurnR));
    for (TPWPenType t : {pwExport, pwPrint, pwReplay})
        add(AddLnchItem, Command(t));
    if (DesktopProgramExists())
        add(AddLnchItem, Command(pwApp));
    add(AddLnchItem, Command(pwInfo));
    add(AddLnchItem, Command(pwClose));

    s.PenSetupThickness = {2, 10, 20, 40, 60};
    s.PenSetupColor = {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFF00FFFF, 0xFFFF0000,
                       0xFFFF00FF, 0xFFFFFF00, 0xFFFFFFFF, 0xFFF39800, 0xFFB865CC};
    s.ImageTypeDefault = 1;
    s.ImageJPEGQuality = 100;
    s.ImagePathDefault = GetMyPicturesFolder();
    s.FillColor = 0xFFFFFFFF;
    s.DrawColor = 0xFFEEEEEE;
    s.LineWidth = 0;
    s.LineHeight = 50;
    s.isSmoothing = true;
    s.isScreenPenWidth = true;
    s.isKeepStrokes = true;
    s.isShareThumbnails = true;
    s.ReplayStrokeMs = 1000;
    s.isPressure = true;
    s.NumFont = s.BkFont = DefaultFontFamily();
    s.MaxPictureCount = 50;
}

void NormalizeSettings()
{
    SettingsModel &s = g_settings;
    s.ImagePathDefault = NormalizeImagePath(s.ImagePathDefault);

    // The tool bar keeps at most 29 entries of its own and always ends with
    // the launcher and the setup command; a missing sibling program takes
    // its command with it. Slots from MenuCount on are empty by rule; one a
    // caller forgot to clear is not brought back into the tool bar.
    s.MenuCount = qBound(0, s.MenuCount, MenuSlotCount);
    const bool app = DesktopProgramExists();
    std::array<TPWMenuItem, MenuSlotCount> kept;
    kept.fill(Command(pwNone));
    int n = 0;
    for (int i = 0; i < s.MenuCount && n < MenuSlotCount - 2; ++i) {
        const TPWMenuItem &m = s.MenuItems[size_t(i)];
        if (m.PenType == pwNone || m.PenType == pwLaunch || m.PenType == pwSetup)
            continue;
        if (m.PenType == pwApp && !app)
            continue;
        kept[size_t(n++)] = m;
    }
    kept[size_t(n++)] = Command(pwLaunch);
    kept[size_t(n++)] = Command(pwSetup);
    s.MenuItems = kept;
    s.MenuCount = n;

    for (Single &t : s.PenSetupThickness) {
        if (!(t >= 1)) // also catches NaN
            t = 1;
        else if (t > 60)
            t = 60;
    }
    for (TAlphaColor &c : s.PenSetupColor)
        c |= Opaque;
    s.NumFont = CheckFontFamily(s.NumFont);
    s.BkFont = CheckFontFamily(s.BkFont);
    s.MaxPictureCount = qBound(50, s.MaxPictureCount, 300);
}

void ReadSettings(const IniFile &ini)
{
    SettingsModel &s = g_settings;
    const QString setup = QStringLiteral("Setup"), pen = QStringLiteral("Pen"), menu = QStringLiteral("Menu"),
                  mark = QStringLiteral("Mark"), wbrd = QStringLiteral("WhiteBoard"),
                  penSetup = QStringLiteral("PenSetup"), penOrder = QStringLiteral("PenOrder");

    s.isMaximized = ini.readBool(setup, QStringLiteral("isMaximized"), s.isMaximized);
    s.ImageTypeDefault = ini.readInteger(setup, QStringLiteral("ImageTypeDefault"), s.ImageTypeDefault);
    s.ImageJPEGQuality = ini.readInteger(setup, QStringLiteral("ImageJPEGQuality"), s.ImageJPEGQuality);
    s.ImagePathDefault = ini.readString(setup, QStringLiteral("ImagePathDefault"), s.ImagePathDefault);
    s.isSmoothing = ini.readBool(pen, QStringLiteral("isSmoothing"), s.isSmoothing);

    // 30, not 31: the last slot is the setup command, which normalisation appends.
    s.MenuCount = qBound(0, ini.readInteger(menu, QStringLiteral("Count"), s.MenuCount), MenuSlotCount - 1);
    for (int i = 0; i < s.MenuCount; ++i)
        ReadItem(ini, menu, i, s.MenuItems[size_t(i)]);
    for (int i = s.MenuCount; i < MenuSlotCount; ++i)
        s.MenuItems[size_t(i)].PenType = pwNone;
    for (int i = 0; i < StockPenCount; ++i)
        ReadItem(ini, mark, i, s.StockPens[size_t(i)]);

    s.FillColor = ReadColor(ini, wbrd, QStringLiteral("FillColor"), s.FillColor);
    s.DrawColor = ReadColor(ini, wbrd, QStringLiteral("DrawColor"), s.DrawColor);
    s.LineWidth = ini.readInteger(wbrd, QStringLiteral("LineWidth"), s.LineWidth);
    s.LineHeight = ini.readInteger(wbrd, QStringLiteral("LineHeight"), s.LineHeight);

    for (int i = 0; i < int(s.PenSetupThickness.size()); ++i)
        s.PenSetupThickness[size_t(i)]
            = ini.readSingle(penSetup, Indexed("Thickness", i), s.PenSetupThickness[size_t(i)]);
    for (int i = 0; i < int(s.PenSetupColor.size()); ++i)
        s.PenSetupColor[size_t(i)] = ReadColor(ini, penSetup, Indexed("Color", i), s.PenSetupColor[size_t(i)]);

    s.NumFont = ini.readString(penOrder, QStringLiteral("NumFont"), s.NumFont);
    s.BkFont = ini.readString(penOrder, QStringLiteral("BkFont"), s.BkFont);
    s.MaxPictureCount = ini.readInteger(menu, QStringLiteral("MaxPictureCount"), s.MaxPictureCount);
    s.isScreenPenWidth
        = ini.readBool(QStringLiteral("Detailed"), QStringLiteral("isScreenPenWidth"), s.isScreenPenWidth);
    s.isKeepStrokes = ini.readBool(QStringLiteral("Detailed"), QStringLiteral("isKeepStrokes"), s.isKeepStrokes);
    s.isShareThumbnails
        = ini.readBool(QStringLiteral("Detailed"), QStringLiteral("isShareThumbnails"), s.isShareThumbnails);
    s.ReplayStrokeMs = qBound(
        100, ini.readInteger(QStringLiteral("Detailed"), QStringLiteral("ReplayStrokeMs"), s.ReplayStrokeMs), 5000);
    s.isPressure = ini.readBool(QStringLiteral("Detailed"), QStringLiteral("isPressure"), s.isPressure);
}

void WriteSettings(IniFile &ini)
{
    const SettingsModel &s = g_settings;
    const QString setup = QStringLiteral("Setup"), pen = QStringLiteral("Pen"), menu = QStringLiteral("Menu"),
                  mark = QStringLiteral("Mark"), wbrd = QStringLiteral("WhiteBoard"),
                  penSetup = QStringLiteral("PenSetup"), penOrder = QStringLiteral("PenOrder");

    ini.writeBool(setup, QStringLiteral("isMaximized"), s.isMaximized);
    ini.writeInteger(setup, QStringLiteral("ImageTypeDefault"), s.ImageTypeDefault);
    ini.writeInteger(setup, QStringLiteral("ImageJPEGQuality"), s.ImageJPEGQuality);
    ini.writeString(setup, QStringLiteral("ImagePathDefault"), s.ImagePathDefault);
    ini.writeBool(pen, QStringLiteral("isSmoothing"), s.isSmoothing);

    const int count = qBound(0, s.MenuCount, MenuSlotCount);
    ini.writeInteger(menu, QStringLiteral("Count"), count);
    for (int i = 0; i < count; ++i)
        WriteItem(ini, menu, i, s.MenuItems[size_t(i)]);
    for (int i = 0; i < StockPenCount; ++i)
        WriteItem(ini, mark, i, s.StockPens[size_t(i)]);

    WriteColor(ini, wbrd, QStringLiteral("FillColor"), s.FillColor);
    WriteColor(ini, wbrd, QStringLiteral("DrawColor"), s.DrawColor);
    ini.writeInteger(wbrd, QStringLiteral("LineWidth"), s.LineWidth);
    ini.writeInteger(wbrd, QStringLiteral("LineHeight"), s.LineHeight);

    for (int i = 0; i < int(s.PenSetupThickness.size()); ++i)
        ini.writeSingle(penSetup, Indexed("Thickness", i), s.PenSetupThickness[size_t(i)]);
    for (int i = 0; i < int(s.PenSetupColor.size()); ++i)
        WriteColor(ini, penSetup, Indexed("Color", i), s.PenSetupColor[size_t(i)]);

    ini.writeString(penOrder, QStringLiteral("NumFont"), s.NumFont);
    ini.writeString(penOrder, QStringLiteral("BkFont"), s.BkFont);
    ini.writeInteger(menu, QStringLiteral("MaxPictureCount"), s.MaxPictureCount);
    // Last and in a section of its own: the lines files of earlier versions hold stay as they were.
    ini.writeBool(QStringLiteral("Detailed"), QStringLiteral("isScreenPenWidth"), s.isScreenPenWidth);
    ini.writeBool(QStringLiteral("Detailed"), QStringLiteral("isKeepStrokes"), s.isKeepStrokes);
    ini.writeBool(QStringLiteral("Detailed"), QStringLiteral("isShareThumbnails"), s.isShareThumbnails);
    ini.writeInteger(QStringLiteral("Detailed"), QStringLiteral("ReplayStrokeMs"), s.ReplayStrokeMs);
    ini.writeBool(QStringLiteral("Detailed"), QStringLiteral("isPressure"), s.isPressure);
}

void ReadSetupIni()
{
    const QString path = SettingsFilePath();
    if (!QFileInfo(path).isFile())
        return;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    IniFile ini;
    ini.parse(f.readAll());
    ReadSettings(ini);
}

void WriteSetupIni()
{
    NormalizeSettings();
    const QString path = SettingsFilePath();
    QString reason;
    if (!MakeFolders(SettingsFolder(), &reason))
        WriteFailed(path, reason);

    // Keys and lines this program does not write are kept, so an old file
    // that cannot be read must not be replaced by a fresh one.
    IniFile ini;
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        if (info.isDir())
            WriteFailed(path, SystemErrorText(EISDIR));
        QFile old(path);
        if (!info.isFile() || !old.open(QIODevice::ReadOnly))
            WriteFailed(path, old.errorString());
        const QByteArray data = old.readAll();
        if (old.error() != QFileDevice::NoError)
            WriteFailed(path, old.errorString());
        ini.parse(data);
    }
    WriteSettings(ini);

#ifdef Q_OS_WIN
    const QByteArray eol("\r\n");
#else
    const QByteArray eol("\n");
#endif
    const QByteArray data = ini.toByteArray(eol);
    SafeFileWriter out(path);
    if (!out.create() || out.write(data) != data.size() || !out.commit())
        WriteFailed(path, out.reason());
}

void LoadSettings()
{
    SetDefaultSettings();
    ReadSetupIni();
    NormalizeSettings();
}

void SaveSettings() { WriteSetupIni(); }

TPWPenType PenTypeFromName(const QString &name)
{
    for (const TPWPenEx &e : PenExTable)
        if (name == QLatin1String(e.s))
            return e.p;
    return pwNone;
}

QString PenTypeToName(TPWPenType t)
{
    for (const TPWPenEx &e : PenExTable)
        if (e.p == t)
            return QLatin1String(e.s);
    return QStringLiteral("pwNone");
}

QStringList GetFontFamilies()
{
    QStringList result;
    if (!HasGuiApplication()) // the font database needs the GUI side of Qt
        return result;
    static const QRegularExpression unusable(QStringLiteral("[@$&%]"));
    for (const QString &f : QFontDatabase::families())
        if (!f.contains(unusable))
            result << f;
    return result;
}

QString CheckFontFamily(const QString &family)
{
    if (GetFontFamilies().contains(family, Qt::CaseInsensitive))
        return family;
    return DefaultFontFamily();
}

QString DefaultFontFamily()
{
    if (!HasGuiApplication())
        return QString();
    // The family the toolkit's default font actually resolves to, so that it
    // is one of GetFontFamilies and the setup dialog can select it.
    return QFontInfo(QGuiApplication::font()).family();
}

TPWMenuItem GetStartPen(int &penIndex)
{
    const SettingsModel &s = g_settings;
    const int count = qBound(0, s.MenuCount, MenuSlotCount);
    for (int i = 0; i < count; ++i) {
        const TPWMenuItem &m = s.MenuItems[size_t(i)];
        if (IsStartPen(m.PenType))
            return m;
        if (m.PenType == pwMarkPtr) {
            const int k = StockPenIndex(m);
            if (k >= 0) {
                penIndex = k;
                return s.StockPens[size_t(k)];
            }
        }
    }
    penIndex = 0;
    return s.StockPens[0];
}

QString GetMyPicturesFolder()
{
    QString p = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (p.isEmpty() || !QFileInfo(p).isDir())
        p = QDir::homePath();
    if (!p.endsWith(QLatin1Char('/')))
        p += QLatin1Char('/');
    return p;
}

QString GetLocalAppDataFolder() { return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation); }

bool DesktopProgramExists() { return QFileInfo(DesktopProgramPath()).isFile(); }

QString DesktopProgramPath()
{
#ifdef Q_OS_WIN
    return QCoreApplication::applicationDirPath() + QStringLiteral("/TOVAREK_DSK.exe");
#else
    return QCoreApplication::applicationDirPath() + QStringLiteral("/TOVAREK_DSK");
#endif
}
