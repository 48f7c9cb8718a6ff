#pragma once

#include <QString>
#include <QtPlugin>

#include <memory>
#include <vector>

#include "kit/recordtypes.h"

class CChildList;
class QWidget;

// The learning record of one settings file, as the program uses it. A record
// that cannot be kept takes what it is given and says so through
// takeNotice(); nothing here ever fails loudly.
class LearningLog {
public:
    virtual ~LearningLog() = default;
    // What a drill tells, drill by drill and task by task.
    virtual void beginDrill(int commandId, const QString& caption, Record::Operation operation, int series,
                            int taskCount) = 0;
    virtual void addTask(int number, const Record::Fact& fact, const QString& text,
                         const QString& expected) = 0;
    virtual void addAnswer(const QString& typed, Record::Answer answer, qint64 thinkingMs) = 0;
    virtual void endDrill(Record::DrillEnd how) = 0;
    // What the family should be told, in German, once; empty when nothing.
    virtual QString takeNotice() = 0;
    virtual bool canRead() const = 0;
    // Why the record cannot be read or written, in German.
    virtual QString faultReason() const = 0;
    // The hardest facts at `now` (seconds since 1970), at most count of them;
    // empty when nothing has been answered yet.
    virtual std::vector<Record::Fact> hardFacts(qint64 now, int count) const = 0;
    // The "Lernfortschritt" window, modal over owner, until it is closed;
    // children, when given, are managed there.
    virtual void showProgress(QWidget* owner, CChildList* children) = 0;
};

// What the record module (ollo-record, built with Qt SQL and Qt Charts)
// offers the program, which loads it once its window is on screen.
class RecordModule {
public:
    virtual ~RecordModule() = default;
    // The record of the settings file <baseName>.INI, opened.
    virtual std::unique_ptr<LearningLog> openLog(const QString& baseName) = 0;
};

Q_DECLARE_INTERFACE(RecordModule, "org.example.ollo.RecordModule/1")
