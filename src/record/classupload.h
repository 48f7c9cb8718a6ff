#pragma once

// Sending a class computer's learning records to the school's server: every
// record of the class on this computer (<base>-klasse-<class>-<child>.sqlite
// in the data folder), oldest rows first, in transactions of at most
// DrillsPerCommit drills. The server's keys are UUIDs made from a random
// namespace kept in the record and the row's own number there, so a row sent
// again (the program ended after the server's commit, before the record took
// note) is the same row and is stored once. What has been sent is kept in
// the record's table class_upload, made in class mode only: a family's
// record never has it.
//
// One object works in one thread at a time (ClassSync gives it its own);
// only abortConnection() may be called from another.

#include <QMutex>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "base/classconfig.h"

class QSqlDatabase;
class QSqlError;

class ClassUpload {
public:
    static constexpr int DrillsPerCommit = 20;
    // The schema of ollo-klasse.sql this program writes.
    static constexpr int ServerSchema = 1;

    enum class Outcome {
        Done,        // everything of every record is on the server
        Unreachable, // no connection; try again later
        Refused,     // the server or the configuration says no; told in notice
    };

    ClassUpload(ClassConfig config, QString programBaseName);
    ~ClassUpload();
    ClassUpload(const ClassUpload&) = delete;
    ClassUpload& operator=(const ClassUpload&) = delete;

    // Connects when not connected, fetches the roster into the local copy
    // (ClassRoster), then sends what the server does not have yet.
    Outcome run();
    // Answers in this computer's records of the class that are not on the
    // server yet, rows of a child the server no longer knows left out.
    int waiting() const { return m_waiting; }
    // Why the last run could not send, in German for school IT; each cause
    // once; empty when there is nothing new to say.
    QString takeNotice();
    // The reason the server could not be reached, for standard error.
    const QString& unreachableReason() const { return m_unreachable; }
    // Counts waiting() again from the records, without the server.
    void countWaiting();
    // True once after a run that changed the roster kept on this computer.
    bool takeRosterChanged() { return std::exchange(m_rosterChanged, false); }

    // Ends a statement that waits on a hung server: its connection is shut,
    // the statement fails, run() returns Unreachable. Any thread.
    void abortConnection();

    // Called after the server committed a transaction, before the record
    // notes it (a test ends the process here).
    std::function<void()> afterServerCommit;

private:
    bool connect();
    void disconnect();
    void closeConnection();
    Outcome refuse(const QString& notice);
    Outcome lost(const QSqlError& error);
    // Sends one record's rows; false when the connection failed.
    bool sendRecord(const QString& filePath, const QString& childId, Outcome* outcome);
    QString childName(const QString& childId) const;
    void tell(const QString& notice);

    ClassConfig m_config;
    QString m_programBaseName;
    QString m_serverConnection;
    QString m_classId;
    QString m_notice;
    QString m_told;
    QString m_unreachable;
    // Every child's name this computer's roster ever held, by id: for a
    // child the server no longer knows.
    std::map<QString, QString> m_names;
    int m_waiting = 0;
    bool m_rosterChanged = false;
    int m_socket = -1;
    bool m_closePending = false;
    QMutex m_socketLock;
};
