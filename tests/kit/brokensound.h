#pragma once

// A sound module as a broken install leaves it: it calls a function that no
// library it links provides. Bound lazily, it would load and end the program
// at its first sound; the program must refuse it as it loads.

#include <QObject>

#include "kit/soundmodule.h"

extern "C" void olloNowhereToBeFound();

// The plugin object; its metadata is read from a header, whose moc output the
// build regenerates whenever the build id changes.
class BrokenSoundPlugin : public QObject, public SoundModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.example.ollo.SoundModule/1" FILE "ollo-buildid.json")
    Q_INTERFACES(SoundModule)

public:
    void playSound(const QString&) override { olloNowhereToBeFound(); }
    void prepare() override {}
};
