// The program's words by the locale: the Japanese translation for a Japanese
// locale, English (as the program's own texts are) for any other, seen on the
// tool bar's tiles and the setup dialog's tabs.
#include "tiles/TileSettings.h"

#include "app/Translations.h"
#include "setup/SetupDlg.h"
#include "tiles/ToolBar.h"

#include <QLibraryInfo>
#include <QTabWidget>
#include <QtTest>
#include <array>

using namespace TileTest;

namespace {
const QStringList EnglishToolBar
    = {"Open ...", "Save As ...", "Undo", "Redo",   "Pen",  "Pen",      "Pen",      "Pen Setup",
       "Eraser",   "Erase All",   "Move", "Center", "Info", "Menu ...", "Setup ..."};
const QStringList JapaneseToolBar
    = {"開く…",    "別名保存…", "元に戻す", "やり直し", "ペン", "ペン",      "ペン", "ペン設定",
       "消しゴム", "全部消す",  "移動",     "全体表示", "情報", "メニュー…", "設定…"};
const QStringList EnglishTabs = {"Stock Pen", "ToolBar", "Pen Setup", "File", "Detailed"};
const QStringList JapaneseTabs = {"登録ペン", "ツールバー", "ペン設定", "ファイル", "詳細"};

// The captions of the default tool bar as the main window dresses its tiles.
QStringList ToolBarCaptions()
{
    QWidget panel;
    std::array<TMetroButton *, MenuButtonCount> tiles{};
    for (int i = 0; i < MenuButtonCount; ++i)
        tiles[size_t(i)] = MenuButtonNew(&panel, i, nullptr);
    int penIndex = 0;
    const MenuPanelLayout layout = MenuPanelLayoutFor(1000, 30, Settings().MenuCount);
    MenuPanelApply(layout, tiles, penIndex);
    QStringList captions;
    for (int i = 0; i <= layout.CrSetup; ++i)
        captions << tiles[size_t(i)]->Text();
    return captions;
}
} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        UseDefaultSettings();
        RemoveTranslations();
    }
    void cleanup() { RemoveTranslations(); }
    void wordsFollowTheLocale_data();
    void wordsFollowTheLocale();
};

void TestTranslations::wordsFollowTheLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("japanese");
    QTest::newRow("Japanese") << QLocale(QLocale::Japanese, QLocale::Japan) << true;
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << false;
    QTest::newRow("C") << QLocale::c() << false;
    // A language the program does not speak stays English, Qt's own words too.
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << false;
}

void TestTranslations::wordsFollowTheLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(bool, japanese);
    QCOMPARE(InstallTranslations(locale), japanese);
    QCOMPARE(ToolBarCaptions(), japanese ? JapaneseToolBar : EnglishToolBar);

    QWidget main;
    int penIndex = 0;
    TSetupDlg dlg(
        &main, [] { return QString(); }, [](const QString &) {}, &penIndex);
    QStringList tabs;
    for (int i = 0; i < dlg.TabControl1->count(); ++i)
        tabs << dlg.TabControl1->tabText(i);
    QCOMPARE(tabs, japanese ? JapaneseTabs : EnglishTabs);
    QCOMPARE(dlg.windowTitle(), japanese ? QStringLiteral("設定") : QStringLiteral("Setup"));

    // Qt's own words (message boxes' buttons) come with the program's when the system has them.
    const QString qtCancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    if (!japanese)
        QCOMPARE(qtCancel, QStringLiteral("Cancel"));
    else if (QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm")))
        QCOMPARE(qtCancel, QStringLiteral("キャンセル"));
}

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
