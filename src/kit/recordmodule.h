#pragma once

#include <QDate>
#include <QString>
#include <QtPlugin>

#include <memory>
#include <optional>
#include <vector>

#include "base/classconfig.h"
#include "kit/classlink.h"
#include "kit/drillobserver.h"
#include "kit/progressmodule.h"
#include "kit/recordtypes.h"

// The facts "Schwierige Aufgaben" drills (record/hardfacts.h), and when
// the next come back.
struct DueFacts {
    std::vector<Record::Fact> facts;
    QDate nextDay;     // the local day the next facts are due; none when nothing was asked
    int nextCount = 0; // how many are due that day
};

// The learning record of one settings file, as the program uses it: it
// listens to every drill (DrillObserver), and the "Lernfortschritt" window
// shows it (ProgressSource). A record that cannot be kept takes what it is
// given and says so through takeNotice(); nothing here ever fails loudly.
class LearningLog : public DrillObserver, public ProgressSource {
public:
    // The facts due at `now` (seconds since 1970), at most count of them,
    // and when the next come back; nothing when the record cannot be read
    // (faultReason() or the report then says why), which never passes for
    // a child with nothing to practise.
    virtual std::optional<DueFacts> hardFacts(qint64 now, int count) const = 0;
    // The base name this record's history was last given to
    // (giveHistoryTo); empty when it was not.
    virtual QString historyGivenTo() const = 0;
};

// What the record module (ollo-record, built with Qt SQL) offers the
// program, which loads it once its window is on screen.
class RecordModule {
public:
    virtual ~RecordModule() = default;
    // The record of the settings file <baseName>.INI, opened.
    virtual std::unique_ptr<LearningLog> openLog(const QString& baseName) = 0;
    // Class mode: starts sending this computer's records of the class to the
    // school's server, in a thread of its own, until the link goes. The logs
    // opened while it is there tell it what they write.
    virtual std::unique_ptr<ClassLink> openClass(const ClassConfig& config,
                                                 const QString& programBaseName) = 0;
};

Q_DECLARE_INTERFACE(RecordModule, "org.example.ollo.RecordModule/1")
