// The program's first sound, played as the program plays it: in a program
// that links Qt Core, Gui and Widgets only, which gets the sound module
// ready when a drill opens and plays the sound at the first answer, once it
// is ready (a child takes longer to answer). Prints "requested <ns>" (the
// monotonic clock when the sound was asked for), then lives on for the given
// seconds.
//   firstsound <wav file> <module folder> <seconds>

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "kit/moduleloader.h"
#include "kit/soundmodule.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 4)
        return 2;
    const QString name = QStringLiteral("ollo-sound");
    const QStringList folders{QString::fromLocal8Bit(argv[2])};
    int exitCode = 0;
    PreloadModule(name, folders, &application, [&] {
        SoundModule* sound = LoadModule<SoundModule>(name, folders);
        if (sound == nullptr) {
            exitCode = 1;
            QCoreApplication::quit();
            return;
        }
        sound->prepare();
        QTimer::singleShot(0, &application, [&, sound] {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            sound->playSound(QString::fromLocal8Bit(argv[1]));
            std::printf("requested %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            QTimer::singleShot(std::atoi(argv[3]) * 1000, &application, &QCoreApplication::quit);
        });
    });
    const int code = QApplication::exec();
    return exitCode != 0 ? exitCode : code;
}
