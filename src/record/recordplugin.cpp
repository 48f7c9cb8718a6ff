#include "record/recordplugin.h"

#include "record/classsync.h"
#include "record/recordlog.h"

std::unique_ptr<LearningLog> RecordPlugin::openLog(const QString& baseName) {
    auto log = std::make_unique<RecordLog>(baseName);
    if (m_class)
        // What a drill writes goes to the class's server soon after.
        log->setOnWritten([sync = QPointer<QObject>(m_class)] {
            if (sync)
                static_cast<ClassSync*>(sync.data())->sendSoon();
        });
    return log;
}

std::unique_ptr<ClassLink> RecordPlugin::openClass(const ClassConfig& config,
                                                   const QString& programBaseName) {
    auto sync = std::make_unique<ClassSync>(config, programBaseName);
    m_class = sync.get();
    return sync;
}
