#pragma once

// The program's command line. Ollo needs no arguments; "--help" and
// "--version" answer and end, "--kind NAME" starts for one child set up in
// the family's list (childlist.h), "--klasse" opens the teacher's class view
// (in class mode only), the window system's own options
// (-platform, -display, -style, …) pass to Qt, and anything else, an unknown
// child too, is an error, found before any window opens.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { Run, Help, Version, Error };

    Action action = Action::Run;
    // What to print: the usage or version text on standard output, the error
    // on standard error.
    QString text;
    int exitCode = 0;
    // The child to start for, as the list spells the name; empty: as usual.
    QString child;
    // "--klasse": the teacher's class view alone.
    bool classView = false;
};

// arguments[0] is the program file.
CommandLine ParseCommandLine(const QStringList& arguments);
