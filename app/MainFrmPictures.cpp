// The picture list: opening a picture or word list, listing its folder into
// the thumbnail strip, moving between entries (each keeps its own strokes),
// and saving what the board shows.
#include "app/MainFrm.h"

#include "imagefiles/FMXBitmapEx.h"
#include "imagefiles/FMXPSD.h"
#include "platform/Errors.h"
#include "settings/Settings.h"
#include "tiles/MetroButton.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QProgressBar>
#include <QtConcurrent>

namespace {
// The dialogs' filters, in the program's own "name|patterns|..." form.
const char *OpenFilter = "All Files|*.jpg;*.jpeg;*.png;*.bmp;*.tga;*.psd;*.txt|JPEG File|*.jpg;*.jpeg|PNG File|*.png|"
                         "BMP File|*.bmp|TGA File|*.tga|PSD File|*.psd|Text File|*.txt";
const char *SaveFilter = "JPEG File|*.jpg;*.jpeg|PNG File|*.png|BMP File|*.bmp|TGA File|*.tga|PSD File|*.psd";

// "JPEG File|*.jpg;*.jpeg|PNG File|*.png" -> Qt's "JPEG File (*.jpg *.jpeg)" list.
QStringList QtFilters(const char *filter)
{
    const QStringList parts = QString::fromLatin1(filter).split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return out;
}

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
    QFileDialog dlg(this, QStringLiteral("Image Open"));
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
    const bool text = LowerExtension(fileName) == QLatin1String(".txt");
    QString word;
    TFMXBitmapEx picture;
    if (text)
        word = TextFileFirstLine(fileName);
    else
        picture.LoadFromFileEx(fileName, 0);

    LastFile = fileName;
    PWImage->LassoUpdate();
    if (isWBrd)
        WBrdLeave();
    isFuMode = text;
    if (text)
        PWImage->SetWord(word);
    else
        PWImage->SetSrcBitmap(picture);
    PWImage->ZoomPosSet(this);
    PictureListMake(fileName);
}

void TWBDMainFrm::PictureListMake(const QString &fileName)
{
    const bool wasWorking = isWorking;
    isWorking = true;
    MenuPanel->setEnabled(false);
    PicturePanel->setEnabled(false);
    RectangleBG->setEnabled(false);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    QApplication::processEvents();
    auto restore = [&] {
        MenuPanel->setEnabled(true);
        PicturePanel->setEnabled(true);
        RectangleBG->setEnabled(true);
        ProgressBar1->hide();
        isWorking = wasWorking;
    };
    try {
        PictureIndex = isFuMode ? PictureListText(fileName) : PictureListFolder(fileName);
        PicturePanelResize();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

int TWBDMainFrm::PictureListFolder(const QString &fileName)
{
    const QFileInfo fi(fileName);
    const QString folder = fi.absolutePath() + QLatin1Char('/');
    const QString ext = LowerExtension(fileName);
    if (!QFileInfo(folder).isDir())
        return -1;
    if (!QDir(folder).isReadable()) {
        ShowError(QStringLiteral("The folder \"%1\" cannot be read, so its pictures are not listed.")
                      .arg(QDir::toNativeSeparators(WithoutTrailingSlash(folder))));
        return -1;
    }
    const QStringList names = ListFolderPictures(folder, ext);
    const int limit = Settings().MaxPictureCount;
    const int n = int(qMin<qsizetype>(names.size(), limit));

    PictureFiles.Path = folder;
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
    // The strip shows at once; thumbnails fill in as they are made.
    PictureIndex = result;
    PicturePanelResize();

    // Thumbnails are made on worker threads; the window stays responsive
    // (its panels disabled) and shows each one as it arrives.
    QVector<int> indices(n);
    std::iota(indices.begin(), indices.end(), 0);
    struct Thumb {
        QImage image;
        QString error;
    };
    QFutureWatcher<Thumb> watcher;
    QEventLoop loop;
    int done = 0;
    QVector<bool> shown(n, false);
    auto take = [&](int k) {
        if (k < 0 || k >= n || shown[k] || k >= PictureFiles.Files.size())
            return;
        shown[k] = true;
        const Thumb t = watcher.resultAt(k);
        TPictureFile &e = PictureFiles.Files[k];
        e.Bitmap = t.image.isNull() ? BrokenThumbnail() : t.image;
        e.Error = t.error;
        PictureTileRefresh(k);
        ++done;
        ProgressBar1->setValue(done * 100 / qMax(n, 1));
    };
    connect(&watcher, &QFutureWatcher<Thumb>::resultReadyAt, &loop, take);
    connect(&watcher, &QFutureWatcher<Thumb>::finished, &loop, &QEventLoop::quit);
    m_listing = &watcher;
    // A pool of its own: Qt's painting borrows the global pool's threads and
    // would wait behind the thumbnails, freezing the window.
    watcher.setFuture(QtConcurrent::mapped(&ThumbnailPool(), indices, [folder, names](int k) {
        Thumb t;
        t.image = MakeThumbnail(folder + names[k], &t.error);
        return t;
    }));
    if (!watcher.isFinished())
        loop.exec();
    watcher.waitForFinished();
    m_listing = nullptr;
    // Results that arrived after the loop ended (or all of them, when it never ran).
    if (!watcher.isCanceled())
        for (int k = 0; k < n; ++k)
            take(k);

    if (names.size() > n)
        ShowWarning(QStringLiteral("The ") + QString::number(limit) + QStringLiteral(" images were listed. "));
    return result;
}

int TWBDMainFrm::PictureListText(const QString &fileName)
{
    if (!QFileInfo(fileName).isFile())
        return -1;
    const QStringList words = TextListWords(fileName);
    PictureFiles.Path.clear();
    PictureFiles.Files.clear();
    PictureFiles.Files.resize(words.size());
    const QString font = Settings().BkFont;
    for (int i = 0; i < words.size(); ++i) {
        TPictureFile &e = PictureFiles.Files[i];
        e.FileName = words[i];
        e.PWRecArray.RecInit();
        e.Bitmap = TextThumbnail(words[i], font);
    }
    return 0;
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
    // Read the picture before anything changes.
    TFMXBitmapEx picture;
    if (!isFuMode)
        picture.LoadFromFileEx(PictureFiles.Path + PictureFiles.Files[index].FileName, 0);
    PWImage->LassoUpdate();
    StoreBoardStrokes();
    PictureIndex = index;
    TPictureFile &e = PictureFiles.Files[index];
    e.Error.clear();
    if (isFuMode)
        PWImage->SrcBitmapRecTextSet(e.FileName, e.PWRecArray);
    else
        PWImage->SrcBitmapRecPictSet(picture, e.PWRecArray);
    PWImage->ZoomPosSet(this);
    PicturePanelRepaint();
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
        t->Tag = k;
        t->SetBitmap(PictureFiles.Files[k].Bitmap);
    } else {
        t->Tag = -1;
        t->SetBitmap(NewBitmap(ThumbnailSize, ThumbnailSize));
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
    // Two saves within the same second keep both pictures.
    ImageSaveToFile(s.ImagePathDefault + NowFileName(), s.ImageTypeDefault, true);
}

void TWBDMainFrm::ImageSaveAs()
{
    const SettingsModel &s = Settings();
    QFileDialog dlg(this, QStringLiteral("Image Save As"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = QtFilters(SaveFilter);
    dlg.setNameFilters(filters);
    const int kind = s.ImageTypeDefault;
    if (kind >= 1 && kind <= filters.size())
        dlg.selectNameFilter(filters[kind - 1]);
    dlg.setDirectory(WithoutTrailingSlash(s.ImagePathDefault));
    dlg.selectFile(NowFileName());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    const int chosen = int(filters.indexOf(dlg.selectedNameFilter())) + 1;
    ImageSaveToFile(dlg.selectedFiles().first(), chosen > 0 ? chosen : kind, false);
}

QString TWBDMainFrm::ImageSaveToFile(const QString &fileName, int kind, bool keepExisting)
{
    QString name = SaveFileName(fileName, kind);
    if (keepExisting)
        name = FreeFileName(name);
    if (kind != 5) {
        TFMXBitmapEx bmp;
        bmp = PWImage->DspBitmap();
        const QString params = kind == 1 ? QStringLiteral("quality=%1").arg(qBound(0, Settings().ImageJPEGQuality, 100))
                                         : QString();
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
