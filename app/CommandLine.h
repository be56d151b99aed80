// What the program was asked to do on its command line, worked out before
// anything needs a display: showing the help or the version works anywhere,
// and a mistake is told before a window opens.
#pragma once

#include <QString>
#include <QStringList>

struct TCommandLine {
    enum TAction { Run, Print, Fail };
    TAction Action = Run;
    QString Message; // what to print: to the standard output for Print, to the error output for Fail
    int ExitCode = 0;
    QStringList Files; // the files named, the toolkit's own options left out
};

// Reads the arguments after the program's name. Besides its own options
// (-h/--help, -v/--version) it lets the toolkit's options through (-platform,
// -style, -display ...); "--" ends the options. Every file named must exist
// and be readable.
TCommandLine ParseCommandLine(const QStringList &arguments, const QString &program, const QString &version);
