// The dialogs the main window runs: the launcher, the pen dialog, the setup
// dialog and the about box, and the start of the desktop program.
#include "app/MainFrm.h"

#include "auxiliary/AboutDlg.h"
#include "auxiliary/HelpPage.h"
#include "settings/Settings.h"
#include "tiles/LnchDlg.h"
#include "tiles/PenSetupDlg.h"

void TWBDMainFrm::CreateDialogs()
{
    LnchDlg = new TLnchDlg(this, [this](const TPWMenuItem &item) { MenuButtonClick(item); }, &PenIndex);
    PenSetupDlg = new TPenSetupDlg(this);
    AboutDlg = new TAboutDlg(this);
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
}

void TWBDMainFrm::InfoExecute()
{
    AboutDlg->exec();
}

void TWBDMainFrm::AppExecute()
{
    RunDesktopProgram();
}
