#pragma once

// The help module's plugin object: makes the program's help desk.

#include <QObject>

#include "kit/helpmodule.h"

class HelpPlugin : public QObject, public HelpModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.example.ollo.HelpModule/1" FILE "ollo-buildid.json")
    Q_INTERFACES(HelpModule)

public:
    std::unique_ptr<HelpViewer> makeViewer(const QString& helpFile, QWidget* owner) override;
};
