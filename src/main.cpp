#include <QApplication>

#include <cstdio>

#include "shell/commandline.h"
#include "shell/firstpaintprobe.h"
#include "shell/trainerapp.h"

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
        return commandLine.exitCode;
    }

    CTrainerApp::CatchTerminationSignals();
    QApplication application(argc, argv);
    FirstPaintProbe::InstallIfWanted();
    CTrainerApp app(QCoreApplication::applicationFilePath());
    // Without a window, the family closed "Wer rechnet heute?": nothing to do.
    if (!app.InitInstance(commandLine.child))
        return 0;
    return app.Run();
}
