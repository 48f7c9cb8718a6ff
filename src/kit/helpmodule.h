#pragma once

#include <QString>
#include <QtPlugin>

#include <memory>

#include "kit/showhelp.h"

class QWidget;

// What the help module (ollo-helpviewer, built with Qt Help) offers the program,
// which loads it when help is first asked for (LoadModule): a viewer that
// opens the topics of one help file in one help window at a time.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Opens a topic by context number, or the contents for Finder. False,
    // with nothing changed and nothing said, when the file or the topic is
    // missing.
    virtual bool open(int data, HelpCommand command) = 0;
    // The help window open now; null when none is.
    virtual QWidget* window() const = 0;
};

class HelpModule {
public:
    virtual ~HelpModule() = default;
    // A viewer of helpFile whose window belongs to the modal dialog running
    // when help is asked for, else to owner.
    virtual std::unique_ptr<HelpViewer> makeViewer(const QString& helpFile, QWidget* owner) = 0;
};

Q_DECLARE_INTERFACE(HelpModule, "org.example.ollo.HelpModule/1")
