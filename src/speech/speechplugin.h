#pragma once

// The speech module's plugin object: the program's way in to the Speaker.

#include <QObject>

#include "kit/speechmodule.h"

class SpeechPlugin : public QObject, public SpeechModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.example.ollo.SpeechModule/1" FILE "ollo-buildid.json")
    Q_INTERFACES(SpeechModule)

public:
    std::unique_ptr<SpeechVoice> makeVoice() override;
};
