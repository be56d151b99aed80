// The dialogs the main window runs: the launcher, the pen dialog, the setup
// dialog and the about box, and the start of the desktop program.
#include "app/MainFrm.h"

#include "auxiliary/AboutDlg.h"
#include "auxiliary/HelpPage.h"
#include "settings/SetupDlg.h"
#include "settings/Settings.h"
#include "tiles/LnchDlg.h"
#include "tiles/PenSetupDlg.h"

void TWBDMainFrm::CreateDialogs()
{
    LnchDlg = new TLnchDlg(this, [this](const TPWMenuItem &item) { MenuButtonClick(item); }, &PenIndex);
    PenSetupDlg = new TPenSetupDlg(this);
    AboutDlg = new TAboutDlg(this);
    // Re-opening the last file under a new picture limit reports its own errors,
    // so the tool bar is rebuilt whatever happens to the file.
    SetupDlg = new TSetupDlg(
        this, [this] { return LastFile; }, [this](const QString &f) { RunGuarded([&] { ImageOpen(f); }); }, &PenIndex);
}

void TWBDMainFrm::LaunchExecute()
{
    LnchDlg->Execute();
}

TPWMenuItem TWBDMainFrm::PenSetupExecute(const TPWMenuItem &base)
{
    return PenSetupDlg->Execute(base);
}

void TWBDMainFrm::SetupExecute()
{
    if (!SetupDlg->Execute())
        return;
    // The tool bar follows the new entries.
    MenuButtonFree();
    MenuButtonCreate();
    RepaintHeader();
}

void TWBDMainFrm::InfoExecute()
{
    AboutDlg->exec();
}

void TWBDMainFrm::AppExecute()
{
    RunDesktopProgram();
}
