// Widget helpers of the settings store: the font list of a combo box and the
// folder chooser of the setup dialog.
#pragma once

#include <QString>

class QComboBox;
class QWidget;

// Replaces the combo box's items with GetFontFamilies, sorted without regard to case.
void FillFontComboBox(QComboBox *comboBox);
// Lets the user pick a folder. On OK stores it in folder (no trailing "/",
// except for a root such as "/") and returns true; on Cancel leaves folder
// unchanged and returns false.
bool BrowseFolder(const QString &title, QString &folder, QWidget *owner);
