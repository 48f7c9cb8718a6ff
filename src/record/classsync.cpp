#include "record/classsync.h"

#include <QMutexLocker>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "record/classupload.h"

namespace {

constexpr int kFirstPauseMs = 1000;
constexpr int kLongestPauseMs = 60000;

// Lives in the sender's thread: runs the rounds and keeps the pause.
class Worker : public QObject {
public:
    Worker(ClassUpload* upload, std::function<void(int, bool, QString, bool)> report,
           std::atomic<qint64>* busySince, const QElapsedTimer* clock)
        : m_upload(upload)
        , m_report(std::move(report))
        , m_busySince(busySince)
        , m_clock(clock) {
        m_retry.setSingleShot(true);
        m_retry.setParent(this);
        QObject::connect(&m_retry, &QTimer::timeout, this, [this] { run(); });
    }
    ~Worker() override { m_retry.setParent(nullptr); }

    // A record was written: sent at once, unless the server is being waited for.
    void poke() {
        if (!m_retry.isActive())
            run();
    }

    void run() {
        m_retry.stop();
        if (QThread::currentThread()->isInterruptionRequested())
            return;
        m_busySince->store(std::max<qint64>(1, m_clock->elapsed()));
        const ClassUpload::Outcome outcome = m_upload->run();
        m_busySince->store(0);
        if (outcome == ClassUpload::Outcome::Done) {
            m_pause = kFirstPauseMs;
        } else {
            const QString why = m_upload->unreachableReason();
            if (outcome == ClassUpload::Outcome::Unreachable && !why.isEmpty() && why != m_toldWhy) {
                m_toldWhy = why;
                std::fprintf(stderr, "ollo: Schulserver nicht erreichbar: %s\n",
                             why.toLocal8Bit().constData());
            }
            m_retry.start(m_pause);
            m_pause = std::min(m_pause * 2, kLongestPauseMs);
        }
        m_report(m_upload->waiting(), outcome == ClassUpload::Outcome::Done, m_upload->takeNotice(),
                 m_upload->takeRosterChanged());
    }

private:
    ClassUpload* m_upload;
    std::function<void(int, bool, QString, bool)> m_report;
    std::atomic<qint64>* m_busySince;
    const QElapsedTimer* m_clock;
    QTimer m_retry;
    QString m_toldWhy;
    int m_pause = kFirstPauseMs;
};

} // namespace

ClassSync::ClassSync(const ClassConfig& config, const QString& programBaseName,
                     std::function<void()> afterServerCommit)
    : m_config(config) {
    m_clock.start();
    m_upload = new ClassUpload(config, programBaseName);
    m_upload->afterServerCommit = std::move(afterServerCommit);
    m_upload->countWaiting();
    m_waiting = m_upload->waiting();

    QPointer<ClassSync> self(this);
    auto report = [self](int waiting, bool sentAll, QString notice, bool rosterChanged) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, waiting, sentAll, notice, rosterChanged] {
                if (self)
                    self->take(waiting, sentAll, notice, rosterChanged);
            },
            Qt::QueuedConnection);
    };
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("ollo-klasse"));
    auto* worker = new Worker(m_upload, std::move(report), &m_busySince, &m_clock);
    worker->moveToThread(m_thread);
    m_worker = worker;
    m_thread->start();
    QMetaObject::invokeMethod(
        worker, [worker] { worker->run(); }, Qt::QueuedConnection);

    m_watchdog = new QTimer(this);
    m_watchdog->setInterval(HungAfterMs / 3);
    connect(m_watchdog, &QTimer::timeout, this, &ClassSync::abortIfHung);
    m_watchdog->start();
}

ClassSync::~ClassSync() {
    m_thread->requestInterruption();
    // The connections end in the thread that made them.
    QMetaObject::invokeMethod(
        m_worker,
        [this] {
            ClassUpload* upload = nullptr;
            {
                const QMutexLocker locker(&m_uploadLock);
                upload = std::exchange(m_upload, nullptr);
            }
            delete m_worker;
            delete upload;
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    if (!m_thread->wait(ExitWaitMs)) {
        // A statement waits on a frozen server: its connection is shut, the
        // statement fails at once. A connection still being made gives up
        // after libpq's connect_timeout.
        abortUpload();
        m_thread->wait();
    }
    delete m_thread;
}

void ClassSync::abortUpload() {
    const QMutexLocker locker(&m_uploadLock);
    if (m_upload != nullptr)
        m_upload->abortConnection();
}

void ClassSync::abortIfHung() {
    const qint64 since = m_busySince.load();
    if (since != 0 && m_clock.elapsed() - since > HungAfterMs)
        abortUpload();
}

void ClassSync::take(int waiting, bool sentAll, const QString& notice, bool rosterChanged) {
    const bool changed = waiting != m_waiting || !notice.isEmpty() || rosterChanged;
    m_waiting = waiting;
    m_sentAll = sentAll;
    ++m_rounds;
    if (!notice.isEmpty()) {
        std::fprintf(stderr, "ollo: %s\n", notice.toLocal8Bit().constData());
        m_notice = m_notice.isEmpty() ? notice : m_notice + QStringLiteral("\n\n") + notice;
    }
    if (changed && m_changed)
        m_changed();
    Q_EMIT roundDone();
}

QString ClassSync::statusText() const {
    if (m_waiting == 0)
        return QStringLiteral("Klasse %1: alles übertragen").arg(m_config.className);
    if (m_waiting == 1)
        return QStringLiteral("Klasse %1: 1 Antwort wartet auf die Verbindung").arg(m_config.className);
    return QStringLiteral("Klasse %1: %2 Antworten warten auf die Verbindung")
        .arg(m_config.className)
        .arg(m_waiting);
}

QString ClassSync::takeNotice() {
    return std::exchange(m_notice, QString());
}

void ClassSync::setOnChange(std::function<void()> changed) {
    m_changed = std::move(changed);
}

void ClassSync::sendSoon() {
    auto* worker = static_cast<Worker*>(m_worker);
    QMetaObject::invokeMethod(
        worker, [worker] { worker->poke(); }, Qt::QueuedConnection);
}
