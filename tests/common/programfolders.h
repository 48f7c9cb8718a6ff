#pragma once

// Fresh settings and content folders for each test function of a whole
// program (CTrainerApp), named to it through XDG_CONFIG_HOME and OLLO_DATA:
// enter() in init(), leave() in cleanup(), which also restores the current
// folder the program changes to its content.

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <memory>

struct ProgramFolders {
    std::unique_ptr<QTemporaryDir> config;
    std::unique_ptr<QTemporaryDir> content;
    QString oldCurrent;

    void enter() {
        config = std::make_unique<QTemporaryDir>();
        content = std::make_unique<QTemporaryDir>();
        oldCurrent = QDir::currentPath();
        qputenv("XDG_CONFIG_HOME", config->path().toLocal8Bit());
        qputenv("OLLO_DATA", content->path().toLocal8Bit());
    }
    void leave() {
        QDir::setCurrent(oldCurrent);
        content.reset();
        config.reset();
    }
};
