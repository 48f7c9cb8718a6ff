#include "record/recordplugin.h"

#include "record/recordlog.h"

std::unique_ptr<LearningLog> RecordPlugin::openLog(const QString& baseName) {
    return std::make_unique<RecordLog>(baseName);
}
