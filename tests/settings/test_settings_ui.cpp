// The store's widget helpers: the sorted font list and the folder chooser,
// driven through a real (non-native) folder dialog.
#include "settings/Settings.h"
#include "settings/SettingsUi.h"

#include <QComboBox>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QtTest>

#include "ModalDialog.h"
#include <functional>

class TestSettingsUi : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The platform's own dialog could not be answered from here.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }

    void fontComboBox()
    {
        QComboBox box;
        box.addItem(QStringLiteral("left over"));
        FillFontComboBox(&box);
        QStringList items;
        for (int i = 0; i < box.count(); ++i)
            items << box.itemText(i);
        QStringList expected = GetFontFamilies();
        QCOMPARE(items.size(), expected.size());
        QVERIFY(!items.contains(QStringLiteral("left over")));
        for (int i = 1; i < items.size(); ++i)
            QVERIFY2(items[i - 1].compare(items[i], Qt::CaseInsensitive) <= 0, qPrintable(items[i]));
        expected.sort(Qt::CaseInsensitive);
        std::sort(items.begin(), items.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(items, expected);
    }

    void browseFolder_data()
    {
        QTest::addColumn<QString>("pick"); // <tmp> is a temporary folder; empty: Cancel
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder") << "<tmp>/class 3"
                                << "<tmp>/class 3";
        QTest::newRow("root keeps its slash") << "/"
                                              << "/";
        QTest::newRow("cancel") << ""
                                << "unchanged";
    }
    void browseFolder()
    {
        QFETCH(QString, pick);
        QFETCH(QString, expected);
        QTemporaryDir tmp;
        QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("class 3")));
        pick.replace(QStringLiteral("<tmp>"), tmp.path());
        expected.replace(QStringLiteral("<tmp>"), tmp.path());

        QString title;
        WhenModalShows<QFileDialog>([&](QFileDialog *d) {
            title = d->windowTitle();
            if (pick.isEmpty()) {
                d->reject();
            } else {
                ChooseFolder(d, pick);
            }
        });
        QWidget owner;
        QString folder = QStringLiteral("unchanged");
        const bool ok = BrowseFolder(QStringLiteral("Default Image Folder"), folder, &owner);
        QCOMPARE(title, QStringLiteral("Default Image Folder"));
        QCOMPARE(ok, !pick.isEmpty());
        QCOMPARE(folder, expected);
    }
};

QTEST_MAIN(TestSettingsUi)
#include "test_settings_ui.moc"
