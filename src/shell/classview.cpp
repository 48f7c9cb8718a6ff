// "ollo --klasse": the teacher's class view, a window of the class module
// alone; no drill window, no family settings.

#include "shell/trainerapp.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

#include <cstdio>

#include "base/classconfig.h"
#include "kit/klassemodule.h"
#include "kit/modulehost.h"
#include "kit/moduleloader.h"

int CTrainerApp::RunClassView(const QString& programFile) {
    QString base = QFileInfo(programFile).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("ollo");
    // Qt's own dialogs (file, print) speak German, as in the program.
    QTranslator qtWords;
    if (qtWords.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtWords);
    const QStringList folders = ProgramModuleFolders();
    auto* module = LoadModule<KlasseModule>(QStringLiteral("ollo-klasse"), folders);
    if (module == nullptr) {
        std::fputs(
            QStringLiteral("%1: Die Klassenübersicht ist nicht installiert (das Modul ollo-klasse fehlt).\n")
                .arg(base)
                .toLocal8Bit()
                .constData(),
            stderr);
        return 1;
    }
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/ollo-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    ModuleHost host(nullptr, HelpFileFor(programFile), folders);
    const std::unique_ptr<QWidget> window = module->openClassView(ClassConfig::Find(base), host);
    window->show();
    return QApplication::exec();
}
