#pragma once

#include <QDate>
#include <QString>
#include <QtPlugin>

#include <vector>

#include "kit/progressreport.h"

class CChildList;
class DialogHost;
class QWidget;

// What the "Lernfortschritt" window shows and may change: one child's
// record, as the learning record (or any other keeper of records) gives it.
class ProgressSource {
public:
    virtual ~ProgressSource() = default;
    // The figures as of today; an unreadable record gives an empty report.
    virtual ProgressReport report(QDate today) const = 0;
    virtual bool canRead() const = 0;
    virtual bool canWrite() const = 0;
    // Why nothing is kept, in German; empty when all is well.
    virtual QString faultReason() const = 0;
    // What the window's top line says of the record: the fault's reason, or
    // that a damaged file was set aside; empty when all is well.
    virtual QString stateText() const = 0;
    // What the family should be told, in German, once; empty when nothing.
    virtual QString takeNotice() = 0;
    // The base name of the settings file this record belongs to.
    virtual QString baseName() const = 0;
    // Every answer, oldest first; false when the record cannot be read.
    virtual bool readAnswers(std::vector<AnswerRow>* rows) const = 0;
    // Deletes every drill, task and answer; false (with the fault set) when
    // it failed.
    virtual bool clearHistory() = 0;
    // True when the history is kept elsewhere as well, as a class's on the
    // school's server: it is not deleted from here, and the window offers no
    // such thing.
    virtual bool historyIsShared() const { return false; }
    // Deletes the record of another child's settings <baseName>.INI, as the
    // child is removed.
    virtual void removeRecordOf(const QString& baseName) = 0;
    // The answered tasks in the record of the settings <baseName>.INI; 0
    // when it has none or cannot be read. Nothing is made or changed.
    virtual int answeredTasksOf(const QString& baseName) const = 0;
    // Makes this record's history that of the settings <baseName>.INI (a
    // first child's, whose record holds nothing yet) and empties this one.
    // False, with a German sentence in error, when it could not be done;
    // this record then keeps its history.
    virtual bool giveHistoryTo(const QString& baseName, QString* error) = 0;
};

// What the progress module (ollo-progress, built with Qt Charts) offers the
// program, which loads it when "Lernfortschritt" is first opened.
class ProgressModule {
public:
    virtual ~ProgressModule() = default;
    // The window, modal over owner, until it is closed. Its help goes to
    // host; children, when given, are managed there.
    virtual void showProgress(QWidget* owner, DialogHost& host, ProgressSource& source,
                              CChildList* children) = 0;
};

Q_DECLARE_INTERFACE(ProgressModule, "org.example.ollo.ProgressModule/1")
