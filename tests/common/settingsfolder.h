#pragma once

// A fresh folder for each test function, and the path of a settings file in
// it (the file itself is not made): enter() in init(), leave() in cleanup().

#include <QString>
#include <QTemporaryDir>

#include <memory>

struct SettingsFolder {
    std::unique_ptr<QTemporaryDir> dir;
    QString path;

    void enter() {
        dir = std::make_unique<QTemporaryDir>();
        path = dir->filePath("ollo.INI");
    }
    void leave() { dir.reset(); }
};
