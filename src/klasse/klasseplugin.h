#pragma once

// The class module's plugin object: the teacher's "Klassenübersicht",
// loaded only for "ollo --klasse".

#include <QObject>

#include "kit/klassemodule.h"

class KlassePlugin : public QObject, public KlasseModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.example.ollo.KlasseModule/1" FILE "ollo-buildid.json")
    Q_INTERFACES(KlasseModule)

public:
    std::unique_ptr<QWidget> openClassView(const ClassConfig& config, DialogHost& host) override;
};
