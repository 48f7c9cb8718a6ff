#pragma once

// The progress module's plugin object: the "Lernfortschritt" window, with
// its chart, loaded only when a parent opens it.

#include <QObject>

#include "kit/progressmodule.h"

class ProgressPlugin : public QObject, public ProgressModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.example.ollo.ProgressModule/1" FILE "ollo-buildid.json")
    Q_INTERFACES(ProgressModule)

public:
    void showProgress(QWidget* owner, DialogHost& host, ProgressSource& source,
                      CChildList* children) override;
};
