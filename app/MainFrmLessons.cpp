// Kept lessons: every history goes to the store as it changes and comes back
// when its picture, word or the white board is shown again, also after the
// program was closed or crashed.
#include "app/MainFrm.h"

#include "app/SaveNotice.h"

#include "settings/Settings.h"
#include "store/LessonStore.h"

#include <QFileInfo>
#include <QStandardPaths>

QString LessonStorePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/ORVEN PROJECT/TOVAREK WBD/lessons.db");
}

void TWBDMainFrm::SetLessonStore(LessonStore *store)
{
    m_store = store;
    if (!m_store)
        return;
    connect(m_store, &LessonStore::Problem, this, [this](const QString &message) {
        LessonNotice(message + tr("\nThe strokes stay on the board until the program closes."));
    });
    if (isWBrd && !m_boardLooked) {
        LoadKeptBoardStrokes();
        PWImage->SrcBitmapRecPictSet(WBrdBitmapMake(), WBrdRecArray);
        PWImage->ZoomPosSet(this);
    }
}

bool TWBDMainFrm::Keeping() const { return m_store && m_store->IsOpen() && Settings().isKeepStrokes; }

void TWBDMainFrm::LoadKeptStrokes(int entry)
{
    if (!Keeping() || entry < 0 || entry >= PictureFiles.Files.size())
        return;
    m_store->SetSession(LastFile, entry);
    LoadKeptHistory(entry);
}

void TWBDMainFrm::LoadKeptHistory(int entry)
{
    if (!Keeping() || entry < 0 || entry >= PictureFiles.Files.size())
        return;
    TPictureFile &e = PictureFiles.Files[entry];
    if (e.StoreLooked)
        return;
    e.StoreLooked = true;
    // Strokes drawn in this run come first; the store has them too.
    const QString key = EntryKey(entry);
    if (!key.isEmpty() && e.PWRecArray.c < 0)
        m_store->Load(key, e.PWRecArray);
}

QString TWBDMainFrm::EntryKey(int entry)
{
    TPictureFile &e = PictureFiles.Files[entry];
    if (!e.StoreKeyMade) {
        // A picture is read once more for it: its content, not its name, is what its strokes belong to.
        if (PictureFiles.Pdf) {
            if (PictureFiles.DocumentKey.isEmpty())
                PictureFiles.DocumentKey = DocumentKey(PictureFiles.Pdf->Content());
            e.StoreKey = PageKey(PictureFiles.DocumentKey, entry);
        } else {
            e.StoreKey
                = isFuMode ? WordKey(PictureFiles.ListContent, entry) : PictureKey(PictureFiles.Path + e.FileName);
        }
        e.StoreKeyMade = true;
    }
    return e.StoreKey;
}

void TWBDMainFrm::LoadKeptBoardStrokes()
{
    if (!Keeping())
        return;
    m_store->SetSession(LastFile, -1);
    if (m_boardLooked)
        return;
    m_boardLooked = true;
    if (WBrdRecArray.c < 0)
        m_store->Load(BoardKey(), WBrdRecArray);
}

void TWBDMainFrm::KeepBoardStrokes()
{
    if (!Keeping())
        return;
    if (isWBrd) {
        m_store->Save(BoardKey(), PWImage->PWRecArray());
    } else if (PictureIndex >= 0 && PictureIndex < PictureFiles.Files.size()) {
        const QString key = EntryKey(PictureIndex);
        if (!key.isEmpty())
            m_store->Save(key, PWImage->PWRecArray());
    }
}

void TWBDMainFrm::ForgetKeptStrokes()
{
    if (!m_store || !m_store->IsOpen())
        return;
    if (!AskYesNo(tr("Forget the strokes kept for every picture, word and the white board?\n"
                     "The strokes on the board now stay until the program closes.")))
        return;
    m_store->Forget();
}

void TWBDMainFrm::ResumeLastLesson()
{
    if (!Keeping())
        return;
    const TLessonSession last = m_store->LastSession();
    if (last.cleanExit)
        return;
    if (!last.file.isEmpty() && QFileInfo(last.file).isFile()) {
        ImageOpen(last.file);
        if (last.entry < 0)
            WBrdShow();
        else if (last.entry != PictureIndex && last.entry < PictureFiles.Files.size())
            PictureSelect(last.entry);
    }
    LessonNotice(tr("The program did not close properly last time: the lesson is back with its strokes."));
}

void TWBDMainFrm::LessonNotice(const QString &text) { m_saveNotice->Show(text, RectangleBG->geometry(), 8000); }
