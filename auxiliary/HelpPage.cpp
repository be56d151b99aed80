#include "auxiliary/HelpPage.h"

#include "settings/Settings.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {
QString g_helpUrl;
}

void SelectHelpPage(const QLocale &locale)
{
    const QString page = locale.language() == QLocale::Japanese ? QStringLiteral("/tovarek/WBD_ja.html")
                                                                : QStringLiteral("/tovarek/WBD.html");
    g_helpUrl = QStringLiteral("http://") + QStringLiteral(TW_HELP_HOST) + page;
}

QString HelpURL()
{
    if (g_helpUrl.isEmpty())
        SelectHelpPage();
    return g_helpUrl;
}

void OpenHelpPage() { QDesktopServices::openUrl(QUrl(HelpURL())); }

QString GetVersionString() { return QStringLiteral(TW_VERSION); }

void StartDesktopProgram()
{
    const QString path = DesktopProgramPath();
    QProcess::startDetached(path, QStringList(), QFileInfo(path).absolutePath());
}

bool RunDesktopProgram()
{
    if (!DesktopProgramExists())
        return false;
    StartDesktopProgram();
    return true;
}
