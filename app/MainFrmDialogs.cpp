// The dialogs the main window runs: the launcher, the pen dialog, the setup
// dialog and the about box, and the start of the desktop program.
#include "app/MainFrm.h"

#include "auxiliary/AboutDlg.h"
#include "auxiliary/HelpPage.h"
#include "settings/Settings.h"
#include "setup/SetupDlg.h"
#include "tiles/LnchDlg.h"
#include "tiles/PenSetupDlg.h"

// The dialogs are built the first time they are asked for: at start-up
// the teacher sees none of them, and building them all would hold up the window.
TLnchDlg *TWBDMainFrm::Launcher()
{
    if (!LnchDlg)
        LnchDlg = new TLnchDlg(
            this, [this](const TPWMenuItem &item) { MenuButtonClick(item); }, &PenIndex);
    return LnchDlg;
}

TPenSetupDlg *TWBDMainFrm::PenDialog()
{
    if (!PenSetupDlg)
        PenSetupDlg = new TPenSetupDlg(this);
    return PenSetupDlg;
}

TSetupDlg *TWBDMainFrm::SetupDialog()
{
    // Re-opening the last file under a new picture limit reports its own errors,
    // so the tool bar is rebuilt whatever happens to the file.
    if (!SetupDlg) {
        SetupDlg = new TSetupDlg(
            this, [this] { return LastFile; }, [this](const QString &f) { RunGuarded([&] { ImageOpen(f); }); },
            &PenIndex);
        SetupDlg->OnForgetStrokes = [this] { ForgetKeptStrokes(); };
    }
    return SetupDlg;
}

TAboutDlg *TWBDMainFrm::AboutBox()
{
    if (!AboutDlg)
        AboutDlg = new TAboutDlg(this);
    return AboutDlg;
}

void TWBDMainFrm::LaunchExecute() { Launcher()->Execute(); }

TPWMenuItem TWBDMainFrm::PenSetupExecute(const TPWMenuItem &base) { return PenDialog()->Execute(base); }

void TWBDMainFrm::SetupExecute()
{
    // The dialog dresses stock-pen tiles of its own; keypad / goes on from
    // the stock pen in use, whether the dialog was confirmed or not.
    const int penIndex = PenIndex;
    const bool ok = SetupDialog()->Execute();
    PenIndex = penIndex;
    if (!ok)
        return;
    ApplyBoardSettings();
    // The tool bar follows the new entries.
    MenuButtonFree();
    MenuButtonCreate();
    RepaintHeader();
}

void TWBDMainFrm::InfoExecute() { AboutBox()->exec(); }

void TWBDMainFrm::AppExecute() { RunDesktopProgram(); }
