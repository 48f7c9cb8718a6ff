#pragma once

// The record module's plugin object: it opens the record of a settings file.

#include <QObject>
#include <QPointer>

#include "kit/recordmodule.h"

class RecordPlugin : public QObject, public RecordModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.example.ollo.RecordModule/1" FILE "ollo-buildid.json")
    Q_INTERFACES(RecordModule)

public:
    std::unique_ptr<LearningLog> openLog(const QString& baseName) override;
    std::unique_ptr<ClassLink> openClass(const ClassConfig& config, const QString& programBaseName) override;

private:
    QPointer<QObject> m_class;
};
