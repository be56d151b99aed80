// The help page on the maker's web server, chosen once by the user's locale,
// and the sibling desktop-annotation program started from beside ours.
#pragma once

#include <QLocale>
#include <QString>

// Chooses the help page for a locale: Japanese gets "WBD_ja.html", every
// other locale "WBD.html". Called once at start-up with the user's locale.
void SelectHelpPage(const QLocale &locale = QLocale::system());
QString HelpURL();
// Opens HelpURL in the user's browser; a failure is not reported.
void OpenHelpPage();

// The program's version, four parts ("1.0.0.1").
QString GetVersionString();

// Starts the desktop program beside the executable without waiting for it.
void StartDesktopProgram();
// Starts it when it is there; otherwise nothing.
bool RunDesktopProgram(); // false when there is no desktop program to start
