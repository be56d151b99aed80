// Handing the lesson out: every entry with its strokes exported as one PDF
// or a folder of pictures, or printed.
#include "app/MainFrm.h"

#include "app/Handout.h"
#include "app/PrintEngine.h"
#include "app/SaveNotice.h"

#include "platform/Errors.h"
#include "settings/Settings.h"
#include "store/LessonStore.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

QVector<THandoutEntry> TWBDMainFrm::HandoutEntries()
{
    QVector<THandoutEntry> entries;
    if (PictureFiles.Files.isEmpty()) { // the white board alone
        THandoutEntry e;
        e.Caption = tr("White board");
        e.Picture = WBrdBitmapMake();
        e.History = isWBrd ? PWImage->PWRecArray() : WBrdRecArray;
        entries.append(e);
        return entries;
    }
    for (int k = 0; k < PictureFiles.Files.size(); ++k) {
        THandoutEntry e;
        e.Caption = PictureFiles.Files[k].FileName;
        if (isFuMode)
            e.Word = e.Caption;
        else if (const std::shared_ptr<const TPdfPages> pdf = PictureFiles.Pdf)
            e.Render = [pdf, k] { return pdf->Render(k); };
        else
            e.Path = PictureFiles.Path + e.Caption;
        if (k == PictureIndex && !isWBrd) {
            e.History = PWImage->PWRecArray();
        } else {
            LoadKeptHistory(k);
            e.History = PictureFiles.Files[k].PWRecArray;
        }
        entries.append(e);
    }
    return entries;
}

void TWBDMainFrm::ExportExecute()
{
    QMessageBox ask(QMessageBox::Question, tr("Export"),
                    tr("Export every picture of the list with its strokes:\n"
                       "as one PDF file, or as a picture file each in a folder?"),
                    QMessageBox::Cancel, this);
    QPushButton *pdf = ask.addButton(tr("PDF file ..."), QMessageBox::AcceptRole);
    QPushButton *folder = ask.addButton(tr("Folder ..."), QMessageBox::AcceptRole);
    ask.setDefaultButton(pdf);
    ask.exec();
    const QString start = Settings().ImagePathDefault;
    if (ask.clickedButton() == pdf) {
        const QString name = QFileDialog::getSaveFileName(this, tr("Export as PDF"),
                                                          QDir(start).filePath(NowFileName() + QStringLiteral(".pdf")),
                                                          QStringLiteral("PDF (*.pdf)"));
        if (!name.isEmpty())
            ExportTo(name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? name : name + QStringLiteral(".pdf"),
                     true);
    } else if (ask.clickedButton() == folder) {
        const QString dir = QFileDialog::getExistingDirectory(this, tr("Export into a folder"), start);
        if (!dir.isEmpty())
            ExportTo(dir, false);
    }
}

bool TWBDMainFrm::ExportTo(const QString &target, bool pdf)
{
    const SettingsModel &s = Settings();
    THandoutJob job;
    job.Entries = HandoutEntries();
    job.WordFont = s.BkFont;
    job.JpegQuality = s.ImageJPEGQuality;
    job.Kind = s.ImageTypeDefault;
    QProgressDialog progress(tr("Exporting ..."), tr("Cancel"), 0, int(job.Entries.size()), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    job.Progress = [&progress](int done, int) {
        progress.setValue(done);
        QApplication::processEvents();
        return !progress.wasCanceled();
    };
    QString error;
    QStringList written;
    const THandoutResult r
        = pdf ? ExportHandoutPdf(job, target, &error) : ExportHandoutFolder(job, target, &written, &error);
    progress.close();
    if (r == THandoutResult::Failed) {
        ShowError(tr("The export failed: %1\nNothing was written.").arg(error));
        return false;
    }
    if (r == THandoutResult::Done) {
        const QString where = QDir::toNativeSeparators(pdf ? target : QDir(target).absolutePath());
        m_saveNotice->Show(tr("Exported %1 page(s) to \"%2\"").arg(job.Entries.size()).arg(where),
                           RectangleBG->geometry(), 4000);
    }
    return r == THandoutResult::Done;
}

void TWBDMainFrm::PrintExecute()
{
    QString missing;
    const TPrintAsk ask = PrintAsker(&missing);
    if (!ask) {
        ShowError(tr("Printing is not available: %1").arg(missing));
        return;
    }
    const QVector<THandoutEntry> entries = HandoutEntries();
    const int current = isWBrd || PictureIndex < 0 ? 0 : PictureIndex;
    ask(this, int(entries.size()), current, [&](QPagedPaintDevice &printer, int first, int last) {
        RunGuarded([&] { PrintHandout(printer, entries, first, last, Settings().BkFont); });
    });
}
