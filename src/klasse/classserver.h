#pragma once

// The teacher's "Klassenübersicht": a class on the school's PostgreSQL at a
// glance. ClassServer (here) holds the teacher's connection and reads the
// class's grid and roster from the standings the server keeps per child and
// fact; ServerStore (record/serverstore.h) reads one child's record for the
// family's progress window; classexport.h and classreport.h write the
// class's answers and children's pages; ClassWindow shows it all and runs the server's work in a thread of
// its own (ClassWorker), so a slow or hung server never freezes it.

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include "base/classconfig.h"
#include "kit/recordtypes.h"

class RecordStore;
class QSqlError;

struct ClassInfo {
    QString id;
    QString name;
};

// One fact of the small tables across the class.
struct ClassFact {
    int secure = 0;    // children secure on it
    int slow = 0;      // right, but slow
    int practised = 0; // children who have answered it
    QStringList shaky; // names of the children still shaky on it, sorted
};

struct ClassGrid {
    int children = 0; // in the roster: the share's whole
    // Row-major by factor, then series, both 1 to 10, as in "Lernfortschritt".
    std::array<ClassFact, 100> times;
    std::array<ClassFact, 100> divide;

    const ClassFact& fact(Record::Operation operation, int factor, int series) const {
        return (operation == Record::Operation::Division ? divide
                                                         : times)[size_t((factor - 1) * 10 + series - 1)];
    }
};

// A child of the roster and how it practises.
struct RosterRow {
    QString id;
    QString name;
    qint64 lastPractised = 0; // seconds since 1970; 0: never
    int drillsThisWeek = 0;   // since Monday 0:00
    int tasksThisWeek = 0;
    int secureTimes = 0; // facts of the small multiplication table secure, of 100
    int secureDivide = 0;
    int recentTasks = 0;    // the last answered tasks looked at, at most RecentTasks
    int recentMistakes = 0; // of them not right at the first try
    bool idle = false;      // has not practised for a week
    bool manyMistakes = false;

    // The marks: no drill for IdleDays, or at least ManyMistakes of the
    // last RecentTasks tasks not right at the first try.
    static constexpr int IdleDays = 7;
    static constexpr int RecentTasks = 20;
    static constexpr int ManyMistakes = 6;
};

class ClassServer : public QObject {
    Q_OBJECT

public:
    // connectionName: the Qt SQL connection this object opens, in the
    // thread it is used in.
    explicit ClassServer(QString connectionName, QObject* parent = nullptr);
    ~ClassServer() override;

    // Connects with the config's service (libpq's own files hold the rest)
    // and reads the classes this login teaches; chooses the config's class
    // among them, else the first. False with error() set when it cannot.
    bool open(const ClassConfig& config);
    bool isOpen() const;
    // After the connection was lost (the server restarted, the network
    // went): connects again as open() did, with the same class chosen, and
    // listens again if it did.
    bool reconnect();
    // Whether the connection still answers; a lost one is noticed here, as
    // the server's announcements stop without a word.
    bool answers();
    // Why the last step failed, in German for the teacher.
    QString error() const { return m_error; }

    const std::vector<ClassInfo>& classes() const { return m_classes; }
    const ClassInfo& currentClass() const { return m_current; }
    bool chooseClass(const QString& classId);

    bool readGrid(ClassGrid& grid);
    // now: seconds since 1970, by the program's clock.
    bool readRoster(qint64 now, std::vector<RosterRow>& roster);

    bool addChild(const QString& name);
    bool renameChild(const QString& childId, const QString& name);
    // Removes the child with every drill, task and answer.
    bool removeChild(const QString& childId);

    // The record of one child of the current class; valid while this is.
    std::unique_ptr<RecordStore> childStore(const QString& childId) const;
    QString connectionName() const { return m_connection; }

    // Follows the server's announcements of new answers (LISTEN); emits
    // answersArrived() for the current class.
    bool listen();
    // From any thread: ends a statement that waits on a hung server, which
    // then fails at once.
    void interrupt();

Q_SIGNALS:
    void answersArrived();

private:
    bool fail(const QSqlError& error);
    void close();

    QString m_connection;
    ClassConfig m_config;
    QString m_error;
    std::vector<ClassInfo> m_classes;
    ClassInfo m_current;
    std::atomic<int> m_socket{-1};
    bool m_listening = false;
};
