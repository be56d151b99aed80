// TWBDMainFrm: the main window. It hosts the board, the tool bar of tiles on
// the right and the strip of picture thumbnails along the bottom, dispatches
// every command, and keeps the picture list and the white board's strokes.
#pragma once

#include "app/Handout.h"
#include "app/PictureFiles.h"
#include "board/PWImage.h"
#include "board/PWRec.h"
#include "platform/Panel.h"
#include "tiles/ToolBar.h"

#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>

class QProgressBar;
class QKeyEvent;
class PictureLister;
class SaveNotice;
class LessonStore;
class TMetroButton;
class TLnchDlg;
class TPenSetupDlg;
class TSetupDlg;
class TAboutDlg;

// The busy cursor while a picture is read, shown or turned: with a very
// large picture that takes seconds.
class BusyCursor
{
public:
    explicit BusyCursor(const QString &what);
    ~BusyCursor() { End(); }
    void End();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_shown = true;
};

// Where the store of kept lessons lives: the user's data folder.
QString LessonStorePath();

class TWBDMainFrm : public QWidget
{
    Q_OBJECT
public:
    explicit TWBDMainFrm(QWidget *parent = nullptr);
    ~TWBDMainFrm() override;

    // ---- controls ----------------------------------------------------------------
    Panel *PicturePanel = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    Panel *MenuPanel = nullptr;
    Panel *MenuRectangle = nullptr;
    Panel *RectangleBG = nullptr;
    QProgressBar *ProgressBar1 = nullptr;

    // ---- fields ----------------------------------------------------------------------
    bool isFuMode = false;
    std::array<TMetroButton *, MenuButtonCount> MenuButton{};
    TPictureFiles PictureFiles;
    std::array<TMetroButton *, PictureTileCount> PictureButton{};
    int PictureIndex = -1;
    int PicturePage = 0;
    int PictureCount = 0;
    bool isWBrd = false;
    TPWRecArray WBrdRecArray;
    int PenIndex = 0;
    bool isWorking = false;
    TPWMenuItem PrPen;
    int CrSetup = -1;
    TPWImage *PWImage = nullptr;
    QString LastFile;

    // The dialogs, each built on its first use and kept with the window.
    TLnchDlg *LnchDlg = nullptr;
    TPenSetupDlg *PenSetupDlg = nullptr;
    TSetupDlg *SetupDlg = nullptr;
    TAboutDlg *AboutDlg = nullptr;

    void FormCreate();
    void FormDestroy();
    // Runs the command line: one argument naming an existing file opens it.
    void OpenCommandLine(const QStringList &arguments);

    // ---- commands and keys ---------------------------------------------------------------
    void MenuButtonClick(const TPWMenuItem &item);
    bool KeyDown(QKeyEvent *e);
    bool IsBusy() const;
    void PrPenSave();
    void SetupExecute();
    // Shows an error to the user; the program goes on.
    void ShowError(const QString &message);
    void ShowWarning(const QString &message);
    // Asks the user; true for Yes. The answer defaults to No.
    bool AskYesNo(const QString &question);
    // When set, messages go here instead of a message box (tests read them),
    // and questions are answered here.
    static inline std::function<void(const QString &)> MessageSink;
    static inline std::function<bool(const QString &)> QuestionSink;
    // Called with "open", "select" or "turn" while the busy cursor shows (tests look at it).
    static inline std::function<void(const QString &)> BusyProbe;

    // ---- tool bar --------------------------------------------------------------------------
    void MenuButtonCreate();
    void MenuButtonFree();
    void MenuPanelResize();
    void MenuButtonExecute(QObject *sender);
    void MenuButtonUpdate();
    void MenuRectangleClick();
    void MenuRectanglePaint(QPainter &canvas, const QRect &r);
    void BackToMenu();

    // ---- picture list -------------------------------------------------------------------------
    void ImageOpenExecute();
    void ImageOpen(const QString &fileName);
    // Builds the list of the opened file: the words given, or the pictures of its folder.
    // A document's pages (pdf, not null) are listed instead when given.
    void PictureListMake(const QString &fileName, const QStringList *words,
                         const std::shared_ptr<const TPdfPages> &pdf = nullptr);
    int PictureListFolder(const QString &fileName);
    // The document's pages, at most as many as the picture limit.
    int PictureListPages(const std::shared_ptr<const TPdfPages> &pdf);
    int PictureListText(const QStringList &words);
    // Thumbnails of a folder are still being made (the panels are disabled meanwhile).
    bool IsListing() const;
    void PictureSelect(int index);
    void PictureButtonCreate();
    void PictureButtonFree();
    void PicturePanelResize();
    void PicturePanelRepaint();
    void Button1Click(QObject *sender);
    void PictureButtonExecute(QObject *sender);

    // ---- saving -------------------------------------------------------------------------------
    void ImageSave();
    void ImageSaveAs();
    // Writes the board's content; returns the name written. With keepExisting an
    // existing file of that name is kept and the picture gets a free name beside it.
    QString ImageSaveToFile(const QString &fileName, int kind, bool keepExisting = false);
    // Tells over the board where a picture went; note comes first when the
    // picture could not go where the teacher expects it.
    void SaveNoticeShow(const QString &fileName, const QString &note = QString());

    // ---- handing out ------------------------------------------------------------------------------
    // "Export ...": asks for a PDF file or a folder, then exports.
    void ExportExecute();
    // Every entry with its strokes into one PDF (pdf) or a folder of pictures,
    // with a progress bar that can cancel; true when everything was written.
    bool ExportTo(const QString &target, bool pdf);
    // "Print ...": the same pages through the print dialog.
    void PrintExecute();
    // Every entry of the list (or the white board alone) with its strokes.
    QVector<THandoutEntry> HandoutEntries();

    // ---- kept lessons ---------------------------------------------------------------------------
    // The store that keeps every history across closing and crashes; none:
    // the histories live in memory only. The white board shown takes its kept strokes.
    void SetLessonStore(LessonStore *store);
    // After a run that did not end cleanly, opens again what was open, with
    // its strokes, and says so without stopping the teacher.
    void ResumeLastLesson();
    // "Forget kept strokes": asks, then empties the store.
    void ForgetKeptStrokes();

    // ---- white board ------------------------------------------------------------------------
    QImage WBrdBitmapMake();
    void WBrdEnter();
    void WBrdLeave();
    void WBrdShow();

    // Lays out the panels: the strip along the bottom, the tool bar on the right,
    // the board in what is left.
    void DoLayout();

    // Runs an action outside a command; an error it raises is shown to the user.
    void RunGuarded(const std::function<void()> &action);

protected:
    void resizeEvent(QResizeEvent *) override;
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void RunCommand(const TPWMenuItem &item);
    // Commands that choose the board's pen; false for any other.
    bool RunPenCommand(const TPWMenuItem &item);
    // What of the settings the board draws with (new strokes, word pictures).
    void ApplyBoardSettings();
    // The mirror window repeats what the board announces.
    void ConnectMirror();
    // Shows the mirror on the other screen, or hides it.
    void DoViewFrmShowMaximize();
    TLnchDlg *Launcher();
    TPenSetupDlg *PenDialog();
    TSetupDlg *SetupDialog();
    TAboutDlg *AboutBox();
    void RepaintHeader();
    // Stores the strokes now on the board with their owner: the white board or the current entry.
    void StoreBoardStrokes();
    void PictureTileRefresh(int entry);
    // Starts making the thumbnails of the document's pages in the strip's view.
    void PageThumbnailsRequest();
    // Lets the board render the document's page shown anew when zoomed in.
    void PageSharpSet();
    // Whether histories go to the store.
    bool Keeping() const;
    // Gives entry its kept strokes the first time it is shown, and notes it as open.
    void LoadKeptStrokes(int entry);
    // Gives entry its kept strokes, once.
    void LoadKeptHistory(int entry);
    void LoadKeptBoardStrokes();
    // What an entry's strokes are kept under; empty when its file cannot be read.
    QString EntryKey(int entry);
    // Keeps the board's history under the key of what it shows.
    void KeepBoardStrokes();
    void LessonNotice(const QString &text);
    void LaunchExecute();
    TPWMenuItem PenSetupExecute(const TPWMenuItem &base);
    void InfoExecute();
    void AppExecute();

    // Starts making the thumbnails of the strip's first page for a picture
    // about to be opened, while the picture itself is read; the opened
    // picture's path as the prefetch knows it, empty when there is none.
    QString PrefetchFirstPage(const QString &fileName);
    // The end of a list build: panels back, its warning, the keys that waited.
    void ListingEnd();
    void PictureThumbnailReady(int index, const QImage &image, const QString &error);

    bool m_created = false;
    bool m_toolBarShown = true;
    PictureLister *m_lister = nullptr; // makes the thumbnails of the folder listed
    SaveNotice *m_saveNotice = nullptr;
    LessonStore *m_store = nullptr;
    bool m_boardLooked = false; // the store was asked for the white board's strokes
    int m_listedCount = 0; // thumbnails in, for the progress bar
    QString m_listingWarning; // shown when the listing ends
    QVector<QPair<int, Qt::KeyboardModifiers>> m_pendingKeys; // keys pressed while listing
};
