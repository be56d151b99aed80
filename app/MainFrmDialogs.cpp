// The dialogs the main window runs: the launcher, the pen dialog, the setup
// dialog and the about box, and the start of the desktop program.
#include "app/MainFrm.h"

#include "settings/Settings.h"

void TWBDMainFrm::CreateDialogs()
{
}

void TWBDMainFrm::LaunchExecute()
{
}

TPWMenuItem TWBDMainFrm::PenSetupExecute(const TPWMenuItem &base)
{
    return base;
}

void TWBDMainFrm::SetupExecute()
{
}

void TWBDMainFrm::InfoExecute()
{
}

void TWBDMainFrm::AppExecute()
{
}
