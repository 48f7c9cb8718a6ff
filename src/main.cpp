#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <optional>
#include <unistd.h>

#include "shell/commandline.h"
#include "shell/firstpaintprobe.h"
#include "shell/mainframe.h"
#include "shell/startupguard.h"
#include "shell/trainerapp.h"

namespace {

// Started from a launcher, with no terminal to read standard error, the
// family sees the error in a window, where there is a screen to show it on.
void TellInWindow(int argc, char* argv[], const QString& programFile, const QString& text) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    std::optional<StartupGuard> guard(std::in_place, QFileInfo(programFile).fileName());
    QApplication application(argc, argv);
    guard.reset();
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Ollo"), text.trimmed());
    box.setWindowIcon(CMainFrame::ProgramIcon());
    box.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    // The command line is judged before Qt connects to the display, so
    // "--help" works anywhere and a wrong argument opens no window.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine = ParseCommandLine(arguments);
    if (commandLine.action != CommandLine::Action::Run) {
        std::FILE* stream = commandLine.action == CommandLine::Action::Error ? stderr : stdout;
        std::fputs(commandLine.text.toLocal8Bit().constData(), stream);
        if (commandLine.action == CommandLine::Action::Error && !::isatty(STDERR_FILENO))
            TellInWindow(argc, argv, arguments.value(0), commandLine.text);
        return commandLine.exitCode;
    }

    // The class view keeps nothing that a termination signal could lose: it
    // ends as any program does.
    if (!commandLine.classView)
        CTrainerApp::CatchTerminationSignals();
    // Without a display Qt would abort; the guard ends the program with a line
    // that says why.
    std::optional<StartupGuard> guard(std::in_place, QFileInfo(arguments.value(0)).fileName());
    QApplication application(argc, argv);
    guard.reset();
    if (commandLine.classView)
        return CTrainerApp::RunClassView(QCoreApplication::applicationFilePath());
    FirstPaintProbe::InstallIfWanted();
    CTrainerApp app(QCoreApplication::applicationFilePath());
    // Without a choice in "Wer rechnet heute?" there is nothing to do.
    if (!app.ChooseChild(commandLine.child))
        return 0;
    if (app.HandOverToRunningCopy())
        return 0;
    if (!app.InitInstance())
        return 1;
    return app.Run();
}
