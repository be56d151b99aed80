// Command dispatch and the keyboard: every command, from a tile, the
// launcher or a key, is one TPWMenuItem handed to MenuButtonClick.
#include "app/MainFrm.h"

#include "platform/Errors.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>

BusyCursor::BusyCursor(const QString &what)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (TWBDMainFrm::BusyProbe)
        TWBDMainFrm::BusyProbe(what);
}

void BusyCursor::End()
{
    if (std::exchange(m_shown, false))
        QApplication::restoreOverrideCursor();
}

bool TWBDMainFrm::IsBusy() const { return (PWImage && PWImage->isWorking()) || isWorking; }

void TWBDMainFrm::PrPenSave()
{
    const TPWPenType k = PWImage->CrPen().PenType;
    if (k != pwEr && k != pwMove)
        PrPen = PWImage->CrPen();
}

namespace {
void ShowMessage(QWidget *owner, QMessageBox::Icon icon, const QString &message)
{
    if (TWBDMainFrm::MessageSink) {
        TWBDMainFrm::MessageSink(message);
        return;
    }
    QMessageBox box(icon, QStringLiteral("TOVAREK W"), message, QMessageBox::Ok, owner);
    box.exec();
}
} // namespace

void TWBDMainFrm::ShowError(const QString &message) { ShowMessage(this, QMessageBox::Critical, message); }

void TWBDMainFrm::ShowWarning(const QString &message) { ShowMessage(this, QMessageBox::Warning, message); }

bool TWBDMainFrm::AskYesNo(const QString &question)
{
    if (QuestionSink)
        return QuestionSink(question);
    QMessageBox box(QMessageBox::Question, QStringLiteral("TOVAREK W"), question, QMessageBox::Yes | QMessageBox::No,
                    this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void TWBDMainFrm::MenuButtonClick(const TPWMenuItem &item)
{
    // A command may run another (the launcher dispatches its choice from
    // inside its own command); only the outermost one clears the flag.
    const bool outer = !isWorking;
    isWorking = true;
    RunGuarded([&] {
        // Any command ends a replay first (Replay starts it anew).
        PWImage->ReplayStop();
        PWImage->LassoUpdate();
        RunCommand(item);
    });
    if (outer)
        isWorking = false;
    MenuButtonUpdate();
}

bool TWBDMainFrm::RunPenCommand(const TPWMenuItem &item)
{
    TPWImage &b = *PWImage;
    switch (item.PenType) {
    case pwPn:
    case pwMk:
    case pwRbPn:
    case pwRbMk:
    case pwArPn0:
    case pwArPn1:
    case pwArMk0:
    case pwArMk1:
    case pwLasso:
        PrPen = b.CrPen();
        b.SetCrPen(item);
        break;
    case pwEr:
    case pwMove:
        // The eraser and the hand are toggles around the pen used before them.
        if (b.CrPen().PenType == item.PenType) {
            b.SetCrPen(PrPen);
        } else {
            PrPenSave();
            b.SetCrPen(item);
        }
        break;
    case pwPenSetup: {
        const TPWPenType k = b.CrPen().PenType;
        const TPWMenuItem base = (k == pwEr || k == pwMove) ? PrPen : b.CrPen();
        b.SetCrPen(PenSetupExecute(base));
        break;
    }
    case pwMarkPtr: {
        // An index beyond the ten stock pens (an edited settings file) chooses nothing.
        const int index = StockPenIndex(item);
        if (index < 0)
            return true;
        PenIndex = index;
        b.SetCrPen(Settings().StockPens[PenIndex]);
        break;
    }
    case pwMarkIdx:
        PenIndex = PenIndex + 1 > 9 || PenIndex < 0 ? 0 : PenIndex + 1;
        b.SetCrPen(Settings().StockPens[PenIndex]);
        break;
    default: return false;
    }
    RepaintHeader();
    return true;
}

void TWBDMainFrm::RunCommand(const TPWMenuItem &item)
{
    if (RunPenCommand(item))
        return;
    TPWImage &b = *PWImage;
    switch (item.PenType) {
    case pwEraseAll: b.EraseAll(); break;
    case pwOpen: ImageOpenExecute(); break;
    case pwSave: ImageSave(); break;
    case pwSaveAs: ImageSaveAs(); break;
    case pwUndo: b.PWUndo(); break;
    case pwRedo: b.PWRedo(); break;
    case pwZoom0: b.ZoomSet(b.Zoom() * Single(1.2), Single(b.width()) / 2, Single(b.height()) / 2); break;
    case pwZoom1: b.ZoomSet(b.Zoom() / Single(1.2), Single(b.width()) / 2, Single(b.height()) / 2); break;
    case pwWBrd: WBrdShow(); break;
    case pwNext:
        if (PictureIndex != -1)
            PictureSelect(PictureIndex + 1);
        break;
    case pwPrev:
        if (PictureIndex != -1)
            PictureSelect(PictureIndex - 1);
        break;
    case pwCenter: b.ZoomPosSet(this); break;
    case pwLaunch: LaunchExecute(); break;
    case pwMView: DoViewFrmShowMaximize(); break;
    case pwTurnR:
    case pwTurnL: {
        BusyCursor busy(QStringLiteral("turn"));
        b.SrcBitmapRotate(item.PenType == pwTurnR ? 1 : -1);
        break;
    }
    case pwMoveV: b.PWHandMove(0, item.PenThickness); break;
    case pwMoveH: b.PWHandMove(item.PenThickness, 0); break;
    case pwInfo: InfoExecute(); break;
    case pwSetup: SetupExecute(); break;
    case pwApp: AppExecute(); break;
    case pwExport: ExportExecute(); break;
    case pwPrint: PrintExecute(); break;
    case pwReplay: b.ReplayStart(); break;
    case pwNone:
    case pwFuPn:
    case pwFuMk:
    case pwFunc:
    case pwEdit:
    case pwClose:
    default: break;
    }
}

void TWBDMainFrm::keyPressEvent(QKeyEvent *e)
{
    if (IsListing() && !e->isAutoRepeat()) {
        // The keys a teacher presses while a folder is listed act when it is
        // listed, in the order pressed; none is lost.
        m_pendingKeys.append({e->key(), e->modifiers()});
        return;
    }
    if (!KeyDown(e))
        QWidget::keyPressEvent(e);
}

bool TWBDMainFrm::KeyDown(QKeyEvent *e)
{
    if (PWImage->IsReplaying()) { // the key stops the replay, and only that
        PWImage->ReplayStop();
        return true;
    }
    const Qt::KeyboardModifiers mods = e->modifiers();
    // Pan step: a sixteenth of the board across the picture's longer side.
    Single s;
    if (PWImage->SrcBitmap().width() > PWImage->SrcBitmap().height())
        s = Single(PWImage->height()) / 16;
    else
        s = Single(PWImage->width()) / 16;
    if (mods & Qt::ShiftModifier)
        s = s * 4;
    if (mods & Qt::ControlModifier)
        s = 1;
    TPWMenuItem item = MakeMenuItem(pwNone, 0xFFFFFFFF, 1, sdSolid);
    if (IsBusy())
        return false;

    const bool keypad = mods & Qt::KeypadModifier;
    switch (e->key()) {
    case Qt::Key_PageUp: item.PenType = pwZoom0; break;
    case Qt::Key_PageDown: item.PenType = pwZoom1; break;
    case Qt::Key_Home: item.PenType = pwCenter; break;
    case Qt::Key_Left:
        item.PenType = pwMoveH;
        item.PenThickness = -s;
        break;
    case Qt::Key_Right:
        item.PenType = pwMoveH;
        item.PenThickness = s;
        break;
    case Qt::Key_Up:
        item.PenType = pwMoveV;
        item.PenThickness = -s;
        break;
    case Qt::Key_Down:
        item.PenType = pwMoveV;
        item.PenThickness = s;
        break;
    default:
        if (!keypad)
            return false;
        switch (e->key()) {
        case Qt::Key_9: item.PenType = pwZoom0; break;
        case Qt::Key_3: item.PenType = pwZoom1; break;
        case Qt::Key_5: item.PenType = pwCenter; break;
        case Qt::Key_4:
            item.PenType = pwMoveH;
            item.PenThickness = -s;
            break;
        case Qt::Key_6:
            item.PenType = pwMoveH;
            item.PenThickness = s;
            break;
        case Qt::Key_8:
            item.PenType = pwMoveV;
            item.PenThickness = -s;
            break;
        case Qt::Key_2:
            item.PenType = pwMoveV;
            item.PenThickness = s;
            break;
        case Qt::Key_0: item.PenType = pwMove; break;
        case Qt::Key_1: item.PenType = pwTurnL; break;
        case Qt::Key_7: item.PenType = pwTurnR; break;
        case Qt::Key_Plus: item.PenType = pwSave; break;
        case Qt::Key_Minus: item.PenType = pwEraseAll; break;
        case Qt::Key_Period:
        case Qt::Key_Comma: // the keypad's decimal key, whatever separator it types
            item.PenType = pwWBrd;
            break;
        case Qt::Key_Slash: item.PenType = pwMarkIdx; break;
        default: return false;
        }
    }
    MenuButtonClick(item);
    return true;
}
