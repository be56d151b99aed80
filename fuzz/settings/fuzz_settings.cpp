// libFuzzer target for the settings file: any bytes are read into the
// settings and normalised; what is then written must read back to the same
// settings, and writing it once more must not change a byte.
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include "FuzzGuiApp.h"
#include <cstdlib>

namespace {
SettingsModel ReadNormalized(const IniFile &ini)
{
    SetDefaultSettings();
    ReadSettings(ini);
    NormalizeSettings();
    return Settings();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***argv)
{
    StartFuzzGuiApp((*argv)[0]);
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
