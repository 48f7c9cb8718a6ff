#include "speech/speaker.h"

#include <QDeadlineTimer>
#include <QLocale>
#include <QTextToSpeech>
#include <QThread>

#include <atomic>

namespace {

// A voice the service offers for German, Germany's first; C when it has none.
QLocale germanOf(const QList<QLocale>& locales) {
    QLocale found(QLocale::C);
    for (const QLocale& locale : locales) {
        if (locale.language() != QLocale::German)
            continue;
        if (locale.territory() == QLocale::Germany)
            return locale;
        if (found.language() == QLocale::C)
            found = locale;
    }
    return found;
}

QString searchingReason() {
    return QString::fromUtf8("Die Sprachausgabe wird noch gesucht …");
}

} // namespace

// Lives on the speech thread: the engine is made, used and destroyed there.
// Requests carry a number; one that is no longer the latest is dropped, so
// texts that piled up while the service was starting are never read.
class SpeechWorker : public QObject {
    Q_OBJECT

public:
    explicit SpeechWorker(const std::atomic<quint64>& latest)
        : m_latest(latest) {}

    void open() {
        if (m_opened)
            return;
        m_opened = true;
        if (QTextToSpeech::availableEngines().isEmpty()) {
            Q_EMIT settled(Speaker::State::Unavailable,
                           QString::fromUtf8("Auf diesem Rechner ist keine Sprachausgabe eingerichtet."));
            return;
        }
        // Blocks this thread while the service starts and lists its voices.
        m_engine = std::make_unique<QTextToSpeech>();
        if (m_engine->state() == QTextToSpeech::Error) {
            m_engine.reset();
            Q_EMIT settled(Speaker::State::Unavailable,
                           QString::fromUtf8("Der Sprachausgabedienst des Rechners antwortet nicht."));
            return;
        }
        const QLocale german = germanOf(m_engine->availableLocales());
        if (german.language() != QLocale::German) {
            m_engine.reset();
            Q_EMIT settled(Speaker::State::Unavailable,
                           QString::fromUtf8("Die Sprachausgabe des Rechners hat keine deutsche Stimme."));
            return;
        }
        m_engine->setLocale(german);
        Q_EMIT settled(Speaker::State::Ready, {});
    }

    void say(const QString& text, quint64 request) {
        if (request != m_latest)
            return;
        open();
        if (!m_engine || request != m_latest)
            return;
        // Cancels what is being read and what waits in the service's queue.
        m_engine->stop();
        m_engine->say(text);
    }

    void stop() {
        if (m_engine)
            m_engine->stop();
    }

    void close() {
        stop();
        m_engine.reset();
    }

Q_SIGNALS:
    void settled(Speaker::State state, const QString& reason);

private:
    const std::atomic<quint64>& m_latest;
    std::unique_ptr<QTextToSpeech> m_engine;
    bool m_opened = false;
};

struct Speaker::Voice {
    std::atomic<quint64> latest{0};
    QThread thread;
    std::unique_ptr<SpeechWorker> worker;
};

Speaker::Speaker(QObject* parent)
    : QObject(parent) {
}

Speaker::~Speaker() {
    if (!m_voice)
        return;
    ++m_voice->latest;
    SpeechWorker* worker = m_voice->worker.get();
    QMetaObject::invokeMethod(
        worker,
        [worker] {
            worker->close();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    // By now the window has gone; only a service that is still starting up
    // keeps the process a while longer.
    if (m_voice->thread.wait(QDeadlineTimer(30000)))
        return;
    // A service that never answers: the process ends without it. Kept
    // reachable, as nothing may destroy a thread that runs.
    static Voice* abandoned = nullptr;
    QObject::disconnect(worker, nullptr, this, nullptr);
    abandoned = m_voice.release();
    Q_UNUSED(abandoned);
}

void Speaker::find() {
    if (m_voice)
        return;
    m_voice = std::make_unique<Voice>();
    m_voice->thread.setObjectName(QStringLiteral("speech"));
    m_voice->worker = std::make_unique<SpeechWorker>(m_voice->latest);
    m_voice->worker->moveToThread(&m_voice->thread);
    connect(m_voice->worker.get(), &SpeechWorker::settled, this, &Speaker::settle);
    m_voice->thread.start(QThread::LowPriority);
    settle(State::Searching, searchingReason());
    SpeechWorker* worker = m_voice->worker.get();
    QMetaObject::invokeMethod(
        worker, [worker] { worker->open(); }, Qt::QueuedConnection);
}

void Speaker::speak(const QString& text) {
    find();
    const quint64 request = ++m_voice->latest;
    SpeechWorker* worker = m_voice->worker.get();
    QMetaObject::invokeMethod(
        worker, [worker, text, request] { worker->say(text, request); }, Qt::QueuedConnection);
}

void Speaker::stop() {
    if (!m_voice)
        return;
    ++m_voice->latest;
    SpeechWorker* worker = m_voice->worker.get();
    QMetaObject::invokeMethod(
        worker, [worker] { worker->stop(); }, Qt::QueuedConnection);
}

void Speaker::settle(State state, const QString& reason) {
    if (state == m_state && reason == m_reason)
        return;
    m_state = state;
    m_reason = reason;
    Q_EMIT stateChanged();
}

#include "speaker.moc"
