// The settings store: one process-wide set of settings, their defaults, the
// settings file Setup.ini, normalisation, and a few helpers other subsystems
// share (pen-kind names, font families, user folders, the start pen).
#pragma once

#include "pens/Pens.h"

#include <QString>
#include <QStringList>
#include <array>

constexpr int MenuSlotCount = 31;
constexpr int LnchSlotCount = 50;
constexpr int StockPenCount = 10;

struct SettingsModel {
    bool isMaximized = false;
    std::array<TPWMenuItem, MenuSlotCount> MenuItems{};
    int MenuCount = 0;
    std::array<TPWMenuItem, StockPenCount> StockPens{};
    std::array<TPWMenuItem, LnchSlotCount> LnchItems{};
    int LnchCount = 0;
    std::array<Single, 5> PenSetupThickness{};
    std::array<TAlphaColor, 10> PenSetupColor{};
    int ImageTypeDefault = 1;
    int ImageJPEGQuality = 100;
    QString ImagePathDefault; // an existing folder, ends with "/"
    bool isSmoothing = true;
    // A new stroke is as wide on the screen as its pen, whatever the zoom;
    // off, pen widths are in picture pixels.
    bool isScreenPenWidth = true;
    // Every picture's strokes are kept across closing and crashes.
    bool isKeepStrokes = true;
    // Thumbnails made for the picture list are also written to the desktop's
    // shared cache, where file managers find them (and we find theirs).
    bool isShareThumbnails = true;
    int ReplayStrokeMs = 1000; // how long Replay takes over one stroke, 100..5000
    // A stylus's pressure narrows pens and drives the brush.
    bool isPressure = true;
    int MaxPictureCount = 50;
    TAlphaColor FillColor = 0xFFFFFFFF;
    TAlphaColor DrawColor = 0xFFEEEEEE;
    int LineWidth = 0;
    int LineHeight = 50;
    QString NumFont;
    QString BkFont;

    bool operator==(const SettingsModel &) const = default;
};

class IniFile;

// The process-wide settings.
SettingsModel &Settings();

// Folder of Setup.ini; set once at start-up (tests point it elsewhere). Until
// then it is GetLocalAppDataFolder() + "/ORVEN PROJECT/TOVAREK WBD".
QString SettingsFolder();
void SetSettingsFolder(const QString &folder);
QString SettingsFilePath();

// Whether the mirror window exists; the default lists offer Multi View only then.
void SetMirrorViewExists(bool exists);
bool MirrorViewExists();

void SetDefaultSettings();
void NormalizeSettings();
// Reads Setup.ini over the current values; a missing or unreadable file keeps them.
void ReadSetupIni();
// Writes Setup.ini atomically (a temporary file renamed over the old one).
// Throws FileError("Unable to write to <path>: <the system's reason>") on
// failure; the old file then stays as it was.
void WriteSetupIni();
void LoadSettings();
void SaveSettings();
// The reading and writing rules of Setup.ini over a file already in memory
// (ReadSetupIni and WriteSetupIni without the disk; the fuzzer uses them).
// WriteSettings does not normalise first.
void ReadSettings(const IniFile &ini);
void WriteSettings(IniFile &ini);

struct TPWPenEx {
    const char *s;
    TPWPenType p;
};
extern const std::array<TPWPenEx, 38> PenExTable;
TPWPenType PenTypeFromName(const QString &name);
QString PenTypeToName(TPWPenType t);

QStringList GetFontFamilies();
QString CheckFontFamily(const QString &family);
QString DefaultFontFamily();

// The stock pen a pwMarkPtr entry names, or -1 when its index names none
// (an edited settings file may hold any number there).
inline int StockPenIndex(const TPWMenuItem &item)
{
    const quint32 k = item.PenColor & 0x00FFFFFF;
    return k < quint32(StockPenCount) ? int(k) : -1;
}

// The pen the board starts with; may set the stock-pen index. A stock-pen
// reference to an index of 10 or more (an edited file) does not qualify.
TPWMenuItem GetStartPen(int &penIndex);
void AddMenuItem(TPWPenType t, Single thickness, TAlphaColor color, TStrokeDash dash);
void AddLnchItem(TPWPenType t, Single thickness, TAlphaColor color, TStrokeDash dash);

QString GetMyPicturesFolder(); // ends with "/"; the home folder when there is no picture folder
QString GetLocalAppDataFolder(); // no trailing "/"
bool DesktopProgramExists();
QString DesktopProgramPath();
