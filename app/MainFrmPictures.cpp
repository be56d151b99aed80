// The picture list: opening a picture or word list, listing its folder into
// the thumbnail strip, moving between entries (each keeps its own strokes),
// and saving what the board shows.
#include "app/MainFrm.h"

#include "app/PictureLister.h"
#include "app/SaveNotice.h"
#include "imagefiles/FMXBitmapEx.h"
#include "imagefiles/FMXPSD.h"
#include "platform/Errors.h"
#include "settings/Settings.h"
#include "tiles/MetroButton.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QStandardPaths>

namespace {
// The dialogs' filters, in the program's own "name|patterns|..." form.
const char *OpenFilter = "All Files|*.jpg;*.jpeg;*.png;*.bmp;*.tga;*.psd;*.txt|JPEG File|*.jpg;*.jpeg|PNG File|*.png|"
                         "BMP File|*.bmp|TGA File|*.tga|PSD File|*.psd|Text File|*.txt|PDF File|*.pdf";
const char *SaveFilter = "JPEG File|*.jpg;*.jpeg|PNG File|*.png|BMP File|*.bmp|TGA File|*.tga|PSD File|*.psd";

// "JPEG File|*.jpg;*.jpeg|PNG File|*.png" -> Qt's "JPEG File (*.jpg *.jpeg)" list.
QStringList QtFilters(const char *filter)
{
    const QStringList parts = QString::fromLatin1(filter).split(QLatin1Char('|'));
    // Only the words are translated; the format names and patterns stay as they are.
    const auto label = [](const QString &name) {
        if (name == QLatin1String("All Files"))
            return QCoreApplication::translate("TWBDMainFrm", "All Files");
        if (name == QLatin1String("Text File"))
            return QCoreApplication::translate("TWBDMainFrm", "Text File");
        return name;
    };
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(label(parts[i]),
                                             QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return out;
}

// The pictures listed for one opened in their folder: all, or with more
// than limit, the run around it.
QStringList ListedAround(const QStringList &all, const QString &opened, int limit)
{
    return all.mid(ListWindowStart(int(all.size()), limit, int(all.indexOf(opened))), limit);
}

// Drops a prefetch the opening did not hand to a listing (it failed, or
// listed nothing).
class UntakenPrefetch
{
public:
    explicit UntakenPrefetch(PictureLister *lister) : m_lister(lister) { }
    ~UntakenPrefetch() { m_lister->DropPrefetch(); }
    UntakenPrefetch(const UntakenPrefetch &) = delete;
    UntakenPrefetch &operator=(const UntakenPrefetch &) = delete;

private:
    PictureLister *m_lister;
};

QString WithoutTrailingSlash(const QString &folder)
{
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        return folder.left(folder.size() - 1);
    return folder;
}
} // namespace

// ---- opening --------------------------------------------------------------------

void TWBDMainFrm::ImageOpenExecute()
{
    QFileDialog dlg(this, tr("Image Open"));
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setNameFilters(QtFilters(OpenFilter));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    ImageOpen(dlg.selectedFiles().first());
}

void TWBDMainFrm::ImageOpen(const QString &fileName)
{
    // Read first: a file that cannot be read leaves the board, the list and
    // every stroke as they were, and its error tells the user why.
    const QString ext = LowerExtension(fileName);
    const bool text = ext == QLatin1String(".txt");
    QStringList words;
    QByteArray listContent;
    TFMXBitmapEx picture;
    std::shared_ptr<const TPdfPages> pdf;
    BusyCursor busy(QStringLiteral("open"));
    const UntakenPrefetch untaken(m_lister);
    if (text) {
        words = TextListWords(fileName, &listContent);
    } else if (ext == QLatin1String(".pdf")) {
        pdf = std::make_shared<const TPdfPages>(TPdfPages::Load(fileName));
        picture = pdf->Render(0);
    } else {
        const QString opened = PrefetchFirstPage(fileName);
        picture.LoadFromFileEx(fileName, 0);
        m_lister->PrefetchPicture(opened, picture);
    }
    if (text && words.isEmpty()) {
        busy.End();
        ShowWarning(
            tr("The word list \"%1\" holds no words, so nothing was changed.").arg(QDir::toNativeSeparators(fileName)));
        return;
    }

    LastFile = fileName;
    // A listing still running belongs to the list about to be replaced.
    m_listingWarning.clear();
    m_pendingKeys.clear();
    m_lister->Cancel();
    PWImage->LassoUpdate();
    if (isWBrd)
        WBrdLeave();
    if (text)
        PWImage->SetWord(words.isEmpty() ? QStringLiteral("A") : words.first());
    else
        PWImage->SetSrcBitmap(picture);
    PWImage->ZoomPosSet(this);
    PictureListMake(fileName, text ? &words : nullptr, pdf);
    PictureFiles.ListContent = listContent;
    // The opened entry shows the strokes kept for it.
    if (PictureIndex >= 0 && PictureIndex < PictureFiles.Files.size()) {
        LoadKeptStrokes(PictureIndex);
        const TPictureFile &e = PictureFiles.Files[PictureIndex];
        if (e.PWRecArray.c >= 0) {
            if (text)
                PWImage->SrcBitmapRecTextSet(e.FileName, e.PWRecArray);
            else
                PWImage->SrcBitmapRecPictSet(picture, e.PWRecArray);
            PWImage->ZoomPosSet(this);
        }
    }
    PageSharpSet();
}

void TWBDMainFrm::PictureListMake(const QString &fileName, const QStringList *words,
                                  const std::shared_ptr<const TPdfPages> &pdf)
{
    MenuPanel->setEnabled(false);
    PicturePanel->setEnabled(false);
    RectangleBG->setEnabled(false);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    try {
        // Thumbnails are made for the screen the strip is on.
        SetThumbnailDensity(devicePixelRatioF());
        PictureIndex = words ? PictureListText(*words) : pdf ? PictureListPages(pdf) : PictureListFolder(fileName);
        // A document's thumbnails are made as the strip shows them (from here on).
        PicturePanelResize();
        if (!words && !pdf && !PictureFiles.Files.isEmpty()) {
            QStringList names;
            for (const TPictureFile &e : std::as_const(PictureFiles.Files))
                names << e.FileName;
            SetShareThumbnails(Settings().isShareThumbnails);
            // The strip's page in view is made first: the teacher sees it filled
            // while the rest of the folder is still being read.
            m_lister->Start(PictureFiles.Path, names, PicturePage * PictureCount, PictureCount);
        }
    } catch (...) {
        ListingEnd();
        throw;
    }
    // Thumbnails of a folder arrive while the window goes on; the panels
    // come back when the last one is in.
    if (!m_lister->IsRunning())
        ListingEnd();
}

QString TWBDMainFrm::PrefetchFirstPage(const QString &fileName)
{
    const QFileInfo fi(fileName);
    const QString folder = fi.absolutePath() + QLatin1Char('/');
    const QStringList names
        = ListedAround(ListFolderPictures(folder, LowerExtension(fileName)), fi.fileName(), Settings().MaxPictureCount);
    const int opened = int(names.indexOf(fi.fileName()));
    const int count = PictureCountFor(PicturePanel->width());
    if (opened < 0 || count <= 0)
        return {};
    // The page the strip will show: the one holding the opened picture. That
    // one comes last: the window's thread is reading it meanwhile, and its
    // thumbnail is best made from what it reads.
    QStringList paths;
    for (int k = opened / count * count; k < names.size() && paths.size() < count - 1; ++k)
        if (k != opened)
            paths << folder + names[k];
    paths << folder + names[opened];
    SetThumbnailDensity(devicePixelRatioF());
    SetShareThumbnails(Settings().isShareThumbnails);
    m_lister->Prefetch(paths);
    return paths.last();
}

void TWBDMainFrm::ListingEnd()
{
    MenuPanel->setEnabled(true);
    PicturePanel->setEnabled(true);
    RectangleBG->setEnabled(true);
    ProgressBar1->hide();
    if (!m_listingWarning.isEmpty())
        ShowWarning(std::exchange(m_listingWarning, QString()));
    // Keys pressed while the list was made act now, in order.
    const auto keys = std::exchange(m_pendingKeys, {});
    for (const auto &k : keys) {
        QKeyEvent e(QEvent::KeyPress, k.first, k.second);
        KeyDown(&e);
    }
}

bool TWBDMainFrm::IsListing() const { return m_lister && m_lister->IsRunning(); }

int TWBDMainFrm::PictureListFolder(const QString &fileName)
{
    const QFileInfo fi(fileName);
    const QString folder = fi.absolutePath() + QLatin1Char('/');
    const QString ext = LowerExtension(fileName);
    if (!QFileInfo(folder).isDir())
        return -1;
    bool readable = false;
    const QStringList all = ListFolderPictures(folder, ext, &readable);
    if (!readable) {
        ShowError(tr("The folder \"%1\" cannot be read, so its pictures are not listed.")
                      .arg(QDir::toNativeSeparators(WithoutTrailingSlash(folder))));
        return -1;
    }
    const int limit = Settings().MaxPictureCount;
    // The opened picture is always in its list: with more pictures than the
    // limit, the list is the run of pictures around it.
    const QStringList names = ListedAround(all, fi.fileName(), limit);
    const int n = int(names.size());

    isFuMode = false;
    PictureFiles.Path = folder;
    PictureFiles.Pdf.reset();
    PictureFiles.DocumentKey.clear();
    PictureFiles.Files.clear();
    PictureFiles.Files.resize(n);
    int result = -1;
    for (int i = 0; i < n; ++i) {
        TPictureFile &e = PictureFiles.Files[i];
        e.FileName = names[i];
        e.PWRecArray.RecInit();
        e.Bitmap = NewBitmap(ThumbnailSize, ThumbnailSize);
        if (names[i] == fi.fileName())
            result = i;
    }
    if (all.size() > n)
        m_listingWarning = tr("The %1 images were listed. ").arg(limit);
    m_listedCount = 0;
    return result;
}

void TWBDMainFrm::PictureThumbnailReady(int k, const QImage &image, const QString &error)
{
    if (k < 0 || k >= PictureFiles.Files.size())
        return;
    TPictureFile &e = PictureFiles.Files[k];
    e.Bitmap = image.isNull() ? BrokenThumbnail() : image;
    e.Error = error;
    PictureTileRefresh(k);
    ++m_listedCount;
    ProgressBar1->setValue(m_listedCount * 100 / qMax(int(PictureFiles.Files.size()), 1));
}

int TWBDMainFrm::PictureListText(const QStringList &words)
{
    isFuMode = true;
    PictureFiles.Path.clear();
    PictureFiles.Pdf.reset();
    PictureFiles.DocumentKey.clear();
    PictureFiles.Files.clear();
    PictureFiles.Files.resize(words.size());
    // A word's thumbnail is drawn when its place in the strip first shows
    // it: a long list opens at once.
    for (int i = 0; i < words.size(); ++i) {
        TPictureFile &e = PictureFiles.Files[i];
        e.FileName = words[i];
        e.PWRecArray.RecInit();
    }
    return 0;
}

int TWBDMainFrm::PictureListPages(const std::shared_ptr<const TPdfPages> &pdf)
{
    const int limit = Settings().MaxPictureCount;
    const int n = qMin(pdf->PageCount(), qMax(limit, 1));
    isFuMode = false;
    PictureFiles.Path.clear();
    PictureFiles.Pdf = pdf;
    PictureFiles.DocumentKey.clear();
    PictureFiles.Files.clear();
    PictureFiles.Files.resize(n);
    for (int i = 0; i < n; ++i) {
        TPictureFile &e = PictureFiles.Files[i];
        e.FileName = PageEntryName(pdf->FileName(), i);
        e.PWRecArray.RecInit();
    }
    if (pdf->PageCount() > n)
        m_listingWarning = tr("The %1 images were listed. ").arg(limit);
    m_listedCount = 0;
    return 0;
}

void TWBDMainFrm::PageThumbnailsRequest()
{
    const std::shared_ptr<const TPdfPages> pdf = PictureFiles.Pdf;
    if (!pdf || PictureCount <= 0)
        return;
    QVector<int> wanted;
    const int first = PicturePage * PictureCount;
    for (int k = first; k < first + PictureCount && k < PictureFiles.Files.size(); ++k)
        if (PictureFiles.Files[k].Bitmap.isNull())
            wanted << k;
    if (wanted.isEmpty() || wanted == m_lister->RunningEntries())
        return;
    // Only the strip's page in view is made: a long document opens at once,
    // and a page turned past before its thumbnails came is left for later.
    m_lister->StartEntries(
        wanted,
        [pdf](int k) {
            PictureLister::Thumb t;
            t.image = PageThumbnail(*pdf, k, &t.error);
            return t;
        },
        pdf->FileName());
}

// ---- moving between entries -----------------------------------------------------------

void TWBDMainFrm::PictureSelect(int index)
{
    const int n = PictureFiles.Files.size();
    if (n == 0)
        return;
    if (index >= n)
        index = 0;
    if (index < 0)
        index = n - 1;
    BusyCursor busy(QStringLiteral("select"));
    // Read the picture before anything changes.
    TFMXBitmapEx picture;
    if (PictureFiles.Pdf)
        picture = PictureFiles.Pdf->Render(index);
    else if (!isFuMode)
        picture.LoadFromFileEx(PictureFiles.Path + PictureFiles.Files[index].FileName, 0);
    PWImage->LassoUpdate();
    StoreBoardStrokes();
    PictureIndex = index;
    LoadKeptStrokes(index);
    TPictureFile &e = PictureFiles.Files[index];
    e.Error.clear();
    if (isFuMode)
        PWImage->SrcBitmapRecTextSet(e.FileName, e.PWRecArray);
    else
        PWImage->SrcBitmapRecPictSet(picture, e.PWRecArray);
    PWImage->ZoomPosSet(this);
    PageSharpSet();
    PicturePanelRepaint();
}

void TWBDMainFrm::PageSharpSet()
{
    const std::shared_ptr<const TPdfPages> pdf = PictureFiles.Pdf;
    if (!pdf || isWBrd || PictureIndex < 0 || PictureIndex >= PictureFiles.Files.size())
        return;
    // Zoomed in, the page is rendered anew at the zoom; the picture the
    // strokes are drawn on keeps its size, so they stay where they were.
    const int page = PictureIndex;
    PWImage->SetSharpPicture([pdf, page](const QRectF &part, const QSize &pixels) {
        return pdf->RenderPart(page, PdfPageSide, part, pixels);
    });
    PWImage->PWImageBitmapUpdate();
}

// ---- the strip -------------------------------------------------------------------------

void TWBDMainFrm::PictureButtonCreate()
{
    QImage white = NewBitmap(ThumbnailSize, ThumbnailSize);
    BitmapClear(white, 0xFFFFFFFF);
    for (int i = 0; i < PictureTileCount; ++i) {
        auto *t = new TMetroButton(PicturePanel, mtPicture);
        t->move(30 + i * (ThumbnailSize + 10), 5);
        t->SetBitmap(white);
        t->Tag = -1;
        t->hide();
        t->OnExecute = [this](QObject *sender) { PictureButtonExecute(sender); };
        PictureButton[i] = t;
    }
    PicturePanelResize();
}

void TWBDMainFrm::PictureButtonFree()
{
    for (TMetroButton *&t : PictureButton) {
        delete t;
        t = nullptr;
    }
}

void TWBDMainFrm::PicturePanelResize()
{
    if (!PictureButton[0])
        return;
    PictureCount = PictureCountFor(PicturePanel->width());
    for (int i = 0; i < PictureTileCount; ++i) {
        // An empty list shows an empty strip.
        PictureButton[i]->setVisible(i < PictureCount && !PictureFiles.Files.isEmpty());
        PictureButton[i]->Tag = -1;
    }
    PicturePage = PictureCount > 0 ? PictureIndex / PictureCount : 0;
    PicturePanelRepaint();
}

void TWBDMainFrm::PicturePanelRepaint()
{
    if (PictureFiles.Files.isEmpty() || !PictureButton[0])
        return;
    for (int i = 0; i < PictureCount && i < PictureTileCount; ++i)
        PictureTileRefresh(i + PicturePage * PictureCount);
    PicturePanel->update();
    PageThumbnailsRequest();
}

void TWBDMainFrm::PictureTileRefresh(int k)
{
    if (PictureCount <= 0)
        return;
    const int i = k - PicturePage * PictureCount;
    if (i < 0 || i >= PictureCount || i >= PictureTileCount)
        return;
    TMetroButton *t = PictureButton[i];
    t->setVisible(true);
    t->SetColor(k == PictureIndex ? MetroLime : 0xFFFFFFFF);
    if (k < PictureFiles.Files.size()) {
        TPictureFile &e = PictureFiles.Files[k];
        if (e.Bitmap.isNull() && isFuMode)
            e.Bitmap = TextThumbnail(e.FileName, Settings().BkFont);
        t->Tag = k;
        if (e.Bitmap.isNull()) { // a page whose thumbnail is on its way
            QImage white = NewBitmap(ThumbnailSize, ThumbnailSize);
            BitmapClear(white, 0xFFFFFFFF);
            t->SetBitmap(white);
        } else {
            t->SetBitmap(e.Bitmap);
        }
        t->setAccessibleName(e.FileName);
    } else {
        t->Tag = -1;
        t->SetBitmap(NewBitmap(ThumbnailSize, ThumbnailSize));
        t->setAccessibleName(QString());
    }
    t->update();
}

void TWBDMainFrm::Button1Click(QObject *sender)
{
    if (PictureCount <= 0)
        return; // no place in the strip: nothing to page
    const int n = PictureFiles.Files.size();
    PicturePage += sender->property("Tag").toInt();
    if (PicturePage < 0)
        PicturePage = 0;
    else if (n < PicturePage * PictureCount)
        PicturePage = n / PictureCount;
    PicturePanelRepaint();
}

void TWBDMainFrm::PictureButtonExecute(QObject *sender)
{
    auto *t = qobject_cast<TMetroButton *>(sender);
    if (!t || t->Tag < 0 || IsBusy())
        return;
    RunGuarded([&] { PictureSelect(t->Tag); });
}

// ---- saving ----------------------------------------------------------------------------

void TWBDMainFrm::ImageSave()
{
    const SettingsModel &s = Settings();
    QString folder = s.ImagePathDefault;
    QString note;
    const QString home = QDir::cleanPath(QDir::homePath());
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!QFileInfo(folder).isDir()) {
        // The folder went away after it was chosen (a stick taken out, a
        // folder deleted): the picture goes where pictures go by default.
        note = tr("The folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(WithoutTrailingSlash(folder)));
        folder = GetMyPicturesFolder();
    } else if (QDir::cleanPath(folder) == home && !pictures.isEmpty() && QDir::cleanPath(pictures) != home
               && !QFileInfo(pictures).isDir()) {
        // Without a picture folder the home folder stands in for it; the
        // teacher is told, and no folder is made behind their back.
        note = tr("There is no picture folder (\"%1\" does not exist).").arg(QDir::toNativeSeparators(pictures));
    }
    // Two saves within the same second keep both pictures.
    const QString name = ImageSaveToFile(folder + NowFileName(), s.ImageTypeDefault, true);
    SaveNoticeShow(name, note);
}

void TWBDMainFrm::SaveNoticeShow(const QString &fileName, const QString &note)
{
    const QFileInfo fi(fileName);
    QString text = tr("Saved \"%1\" in \"%2\"").arg(fi.fileName(), QDir::toNativeSeparators(fi.absolutePath()));
    if (!note.isEmpty())
        text = note + QLatin1Char('\n') + text;
    m_saveNotice->Show(text, RectangleBG->geometry(), note.isEmpty() ? 4000 : 8000);
}

void TWBDMainFrm::ImageSaveAs()
{
    const SettingsModel &s = Settings();
    QFileDialog dlg(this, tr("Image Save As"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = QtFilters(SaveFilter);
    dlg.setNameFilters(filters);
    const int kind = s.ImageTypeDefault;
    if (kind >= 1 && kind <= filters.size())
        dlg.selectNameFilter(filters[kind - 1]);
    dlg.setDirectory(WithoutTrailingSlash(s.ImagePathDefault));
    // The dialog would ask about the name as typed; the file written gets
    // the chosen format's extension, so the question is asked about that one.
    dlg.setOption(QFileDialog::DontConfirmOverwrite);
    // A document's page is offered under its own name: "worksheet-3".
    QString typed = PictureFiles.Pdf && !isWBrd && PictureIndex >= 0 && PictureIndex < PictureFiles.Files.size()
                        ? PictureFiles.Files[PictureIndex].FileName
                        : NowFileName();
    for (;;) {
        dlg.selectFile(typed);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return;
        const int chosen = int(filters.indexOf(dlg.selectedNameFilter())) + 1;
        const int k = chosen > 0 ? chosen : kind;
        const QString name = SaveFileName(dlg.selectedFiles().first(), k);
        if (QFileInfo::exists(name)
            && !AskYesNo(
                tr("\"%1\" already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(name)))) {
            typed = QFileInfo(name).fileName(); // back to the dialog, with the name it had
            continue;
        }
        SaveNoticeShow(ImageSaveToFile(name, k, false));
        return;
    }
}

QString TWBDMainFrm::ImageSaveToFile(const QString &fileName, int kind, bool keepExisting)
{
    QString name = SaveFileName(fileName, kind);
    if (keepExisting)
        name = FreeFileName(name);
    if (kind != 5) {
        TFMXBitmapEx bmp;
        bmp = PWImage->DspBitmap();
        const QString params
            = kind == 1 ? QStringLiteral("quality=%1").arg(qBound(0, Settings().ImageJPEGQuality, 100)) : QString();
        bmp.SaveToFileEx(name, params);
    } else {
        TPSDFile psd;
        psd.LayerCount = 2;
        psd.Layer.resize(2);
        // Shared, not copied: the writer only reads them.
        psd.Layer[0].Bitmap = PWImage->SrcBitmap();
        psd.Layer[1].Bitmap = PWImage->PenBitmap();
        WritePSDLayers(name, psd);
    }
    return name;
}
