// Placeholder store: defaults only, until the settings file lands.
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QStandardPaths>

namespace {
SettingsModel g_settings;
QString g_folder;
bool g_mirror = false;
}

SettingsModel &Settings()
{
    return g_settings;
}

QString SettingsFolder()
{
    return g_folder;
}

void SetSettingsFolder(const QString &folder)
{
    g_folder = folder;
}

QString SettingsFilePath()
{
    return g_folder + QStringLiteral("/Setup.ini");
}

void SetMirrorViewExists(bool exists)
{
    g_mirror = exists;
}

bool MirrorViewExists()
{
    return g_mirror;
}

QString DefaultFontFamily()
{
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

void SetDefaultSettings()
{
    SettingsModel &s = g_settings;
    s = SettingsModel();
    s.StockPens = {MakeMenuItem(pwPn, 0xFF000000, 8),    MakeMenuItem(pwPn, 0xFFFF0000, 8),
                   MakeMenuItem(pwPn, 0xFF0000FF, 8),    MakeMenuItem(pwMk, 0xFF00FFFF, 20),
                   MakeMenuItem(pwPn, 0xFFFFFF00, 40),   MakeMenuItem(pwPn, 0xFF000000, 8, sdDash),
                   MakeMenuItem(pwRbPn, 0xFFFFFFFF, 8),  MakeMenuItem(pwRbMk, 0xFFFFFFFF, 40),
                   MakeMenuItem(pwArPn0, 0xFF000000, 8), MakeMenuItem(pwArPn1, 0xFFFF0000, 8)};
    s.NumFont = s.BkFont = DefaultFontFamily();
    s.ImagePathDefault = GetMyPicturesFolder();
}

void NormalizeSettings() {}
void ReadSetupIni() {}
void WriteSetupIni() {}

void LoadSettings()
{
    SetDefaultSettings();
    ReadSetupIni();
    NormalizeSettings();
}

void SaveSettings()
{
    WriteSetupIni();
}

TPWMenuItem GetStartPen(int &penIndex)
{
    penIndex = 0;
    return g_settings.StockPens[0];
}

QString GetMyPicturesFolder()
{
    QString p = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!p.endsWith(QLatin1Char('/')))
        p += QLatin1Char('/');
    return p;
}

QString GetLocalAppDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

bool DesktopProgramExists()
{
    return QFileInfo::exists(DesktopProgramPath());
}

QString DesktopProgramPath()
{
#ifdef Q_OS_WIN
    return QCoreApplication::applicationDirPath() + QStringLiteral("/TOVAREK_DSK.exe");
#else
    return QCoreApplication::applicationDirPath() + QStringLiteral("/TOVAREK_DSK");
#endif
}
