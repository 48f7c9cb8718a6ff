#pragma once

// The class computer's sender (ClassLink, kit/classlink.h): ClassUpload in a
// thread of its own with its own connections, run at once, again whenever a
// record is written, and after a pause that grows from one second to a
// minute while the server cannot be reached or refuses. A statement that
// hangs on a frozen server is cut off after HungAfterMs, and at the
// program's end after ExitWaitMs, so that neither the window nor the exit
// ever waits longer for the server.

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

#include "base/classconfig.h"
#include "kit/classlink.h"

class ClassUpload;
class QThread;
class QTimer;

class ClassSync : public QObject, public ClassLink {
    Q_OBJECT

public:
    static constexpr int HungAfterMs = 30000;
    static constexpr int ExitWaitMs = 2000;

    // afterServerCommit: see ClassUpload (a test's seam); may be empty.
    ClassSync(const ClassConfig& config, const QString& programBaseName,
              std::function<void()> afterServerCommit = {});
    ~ClassSync() override;

    QString statusText() const override;
    QString takeNotice() override;
    void setOnChange(std::function<void()> changed) override;
    void sendSoon() override;

    int waiting() const { return m_waiting; }
    // Rounds finished; for tests that wait for the next one.
    int rounds() const { return m_rounds; }
    bool lastRoundSentAll() const { return m_sentAll; }

Q_SIGNALS:
    void roundDone();

private:
    void take(int waiting, bool sentAll, const QString& notice, bool rosterChanged);
    void abortIfHung();
    void abortUpload();

    ClassConfig m_config;
    QThread* m_thread = nullptr;
    QObject* m_worker = nullptr; // lives in m_thread
    QMutex m_uploadLock;
    ClassUpload* m_upload = nullptr; // guarded: ended in m_thread
    std::atomic<qint64> m_busySince{0};
    QElapsedTimer m_clock;
    QTimer* m_watchdog = nullptr;
    std::function<void()> m_changed;
    QString m_notice;
    int m_waiting = 0;
    int m_rounds = 0;
    bool m_sentAll = false;
};
