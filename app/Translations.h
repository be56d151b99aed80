// The program's words in the user's language: its own translation and Qt's,
// chosen by the locale as the help page is.
#pragma once

#include <QLocale>

// Installs the translators for the locale's language on the running
// application; English needs none. Returns whether the program's own
// translation was installed. Calling it again replaces the earlier ones.
bool InstallTranslations(const QLocale &locale = QLocale::system());
// Takes the installed translators away again: every text is English.
void RemoveTranslations();
