#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

#include <functional>

#include "kit/showhelp.h"

// An owner window for the dialogs under test, standing in for the main
// window: it keeps the sounds and help topics they ask for and the messages
// about changes not stored, in order, and answers help requests with
// answerHelp (true when unset).
class FakeHost : public QWidget, public DialogHost {
public:
    QStringList sounds;
    QList<int> helps;
    QStringList notStored;
    std::function<bool(int data, HelpCommand command)> answerHelp;

    bool showHelp(int data, HelpCommand command) override {
        helps << data;
        return answerHelp ? answerHelp(data, command) : true;
    }
    void playSound(const QString& fileName) override { sounds << fileName; }
    void reportNotStored(QWidget*, const QString& message) override { notStored << message; }
};
