#pragma once

#include <QString>
#include <QStringList>

// What the command line of saplogon-editor asks for.
struct TEditorCommandLine {
    enum class Action {
        Open,    // open the window, with file when one is named
        Help,    // print text on standard output and exit 0
        Version, // likewise
        Error,   // print text on standard error and exit 2
    };
    Action action = Action::Open;
    QString file; // the first argument that is no option; further ones are ignored
    // Help and Version: what to print. Error: why the command line is refused. Open: a warning
    // for a named file that does not exist, which the window then leaves aside.
    QString text;
};

// arguments as QCoreApplication::arguments() gives them, the program first. Options: -h, --help;
// -v, --version; "--" makes every later argument a file name.
TEditorCommandLine ParseEditorCommandLine(const QStringList &arguments);
