#pragma once

#include <QString>

// Watches the making of the application object, which connects to the display.
// Qt's messages meanwhile are held back; if the display cannot be reached (no
// X server, a wrong DISPLAY), Qt would abort the program. Instead it ends with
// exit code 1 and one German line on standard error that names the cause in
// Qt's own English words. After a start that succeeds, the held messages are
// passed on as usual. One at a time, on the main thread.
class StartupGuard {
public:
    // program: the name the line starts with, as in "ollo: …".
    explicit StartupGuard(const QString& program);
    ~StartupGuard();

    StartupGuard(const StartupGuard&) = delete;
    StartupGuard& operator=(const StartupGuard&) = delete;

    // The line for a failed start: cause, Qt's reason in its words.
    static QString FailureLine(const QString& program, const QString& cause);
};
