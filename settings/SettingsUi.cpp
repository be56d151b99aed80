// Font list and folder chooser for the setup dialog.
#include "settings/SettingsUi.h"

#include "settings/Settings.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

void FillFontComboBox(QComboBox *comboBox)
{
    QStringList families = GetFontFamilies();
    std::stable_sort(families.begin(), families.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    comboBox->clear();
    comboBox->addItems(families);
}

bool BrowseFolder(const QString &title, QString &folder, QWidget *owner)
{
    // Opens where the folder given is, when it names one.
    const QString start = QFileInfo(folder).isDir() ? folder : QString();
    const QString chosen = QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return false;
    // cleanPath drops a trailing "/" but keeps the one of a root ("/", "C:/").
    folder = QDir::cleanPath(chosen);
    return true;
}
