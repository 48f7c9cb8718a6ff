// The bare window as a program of its own, linked with Qt Widgets only, for
// the whole-process start-up comparison.

#include <QApplication>
#include <QMainWindow>

#include "barewindow.h"
#include "shell/firstpaintprobe.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    FirstPaintProbe::InstallIfWanted();
    const auto window = MakeBareWindow();
    window->showMaximized();
    return QApplication::exec();
}
