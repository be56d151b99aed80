// libFuzzer target for the settings file: any bytes are read into the
// settings and normalised; what is then written must read back to the same
// settings, and writing it once more must not change a byte.
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <QGuiApplication>
#include <cstdlib>

namespace {
QGuiApplication *g_app = nullptr; // the font database needs it; lives for the whole run

SettingsModel ReadNormalized(const IniFile &ini)
{
    SetDefaultSettings();
    ReadSettings(ini);
    NormalizeSettings();
    return Settings();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char *qtArgv[] = {(*argv)[0], nullptr};
    g_app = new QGuiApplication(qtArgc, qtArgv);
    // Closed before the leak check, which would otherwise count the font
    // configuration the application still holds.
    std::atexit([] {
        delete g_app;
        g_app = nullptr;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    IniFile ini;
    ini.parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const SettingsModel first = ReadNormalized(ini);

    WriteSettings(ini);
    const QByteArray written = ini.toByteArray("\n");

    IniFile again;
    again.parse(written);
    if (!(ReadNormalized(again) == first))
        std::abort(); // the file did not hold what was written
    WriteSettings(again);
    if (again.toByteArray("\n") != written)
        std::abort(); // a second save moved or changed lines
    return 0;
}
