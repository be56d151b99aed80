// The application a fuzzer of text or pictures needs (the font database
// does), made once for the whole run in LLVMFuzzerInitialize.
#pragma once

#include <QGuiApplication>
#include <cstdlib>

inline void StartFuzzGuiApp(char *program)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char *qtArgv[] = {program, nullptr};
    static QGuiApplication *app = new QGuiApplication(qtArgc, qtArgv);
    // Closed before the leak check, which would otherwise count the font
    // configuration the application still holds.
    std::atexit([] {
        delete app;
        app = nullptr;
    });
}
