// The program entry: a single instance behind its splash picture.
#include "app/CommandLine.h"
#include "app/GeometryDump.h"
#include "app/MainFrm.h"
#include "app/PictureFiles.h"
#include "app/SingleInstance.h"
#include "app/StartUp.h"
#include "app/Translations.h"
#include "app/WorkerPool.h"
#include "auxiliary/HelpPage.h"
#include "mirror/ViewFrm.h"
#include "platform/SafeFile.h"
#include "settings/Settings.h"
#include "store/LessonStore.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cstdio>
#include <cstdlib>

namespace {
// For the start-up benchmark: with TW_EXIT_WHEN_SHOWN set, prints the wall
// clock (ms since the epoch) when the main window is on screen, painted,
// with the splash gone, and quits.
void ExitWhenShown()
{
    if (!qEnvironmentVariableIsSet("TW_EXIT_WHEN_SHOWN"))
        return;
    std::printf("shown %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    std::fflush(stdout);
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}
} // namespace

int main(int argc, char *argv[])
{
    // Help, the version and mistakes in the arguments need no display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const TCommandLine commandLine = ParseCommandLine(
        arguments, argc > 0 ? QFileInfo(QFile::decodeName(argv[0])).fileName() : QStringLiteral("tovarek-w"),
        QStringLiteral(TW_VERSION));
    if (commandLine.Action != TCommandLine::Run) {
        std::FILE *out = commandLine.Action == TCommandLine::Print ? stdout : stderr;
        std::fputs(commandLine.Message.toLocal8Bit().constData(), out);
        return commandLine.ExitCode;
    }

    IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TOVAREK W"));
    QApplication::setApplicationVersion(QStringLiteral(TW_VERSION));

    // A second start ends quietly and leaves the running instance alone.
    SingleInstance instance(QStringLiteral("TOVRAK_WBD_ORVEN"));
    if (!instance.tryAcquire())
        return 0;

    InstallGeometryDump();
    InstallTranslations();
    SelectHelpPage();
    // Pictures as large as the readers accept (1 GiB), not Qt's default limit.
    QImageReader::setAllocationLimit(1024);
    SetSettingsFolder(GetLocalAppDataFolder() + QStringLiteral("/ORVEN PROJECT/TOVAREK WBD"));
    CreateViewFrm();
    SetMirrorViewExists(ViewFrm != nullptr);

    // Every stroke is kept as it is drawn. The store opens while the splash
    // is up; one that cannot be used says so and the lesson goes on in memory.
    LessonStore lessons;
    int result = 0;
    {
        const std::unique_ptr<TWBDMainFrm> window = StartBehindSplash(ExitWhenShown, [&lessons](TWBDMainFrm &w) {
            lessons.Open(LessonStorePath());
            w.SetLessonStore(&lessons);
        });
        window->OpenCommandLine(commandLine.Files);
        if (commandLine.Files.isEmpty())
            window->ResumeLastLesson();
        result = app.exec();
    }
    // The strokes reach the store before anything else ends the process.
    lessons.MarkCleanExit();
    lessons.Flush(2000);
    FreeViewFrm();
    // Everything the teacher had is written by now. A thumbnail worker still
    // reading a huge picture of a listing cut short must not keep the closed
    // program alive: it gets a moment, then the process ends without it.
    ThumbnailPool().Clear();
    if (!ThumbnailPool().WaitForDone(1500)) {
        std::fflush(nullptr);
        std::_Exit(result);
    }
    return result;
}
