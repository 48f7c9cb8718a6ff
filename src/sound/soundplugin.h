#pragma once

// The sound module's plugin object: the program's way in to PlaySound.

#include <QObject>

#include "kit/soundmodule.h"

class SoundPlugin : public QObject, public SoundModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.example.ollo.SoundModule/1" FILE "ollo-buildid.json")
    Q_INTERFACES(SoundModule)

public:
    void playSound(const QString& fileName) override;
    void prepare() override;
};
