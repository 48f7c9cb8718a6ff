#pragma once

#include <QObject>
#include <QString>

#include <memory>

// Reads German text aloud through the desktop's speech service (Qt
// TextToSpeech). Nobody waits for the service, which may take many seconds
// to answer the first time: it is looked for, and every text handed to it,
// on a thread of its own that starts with the first call. A new text
// replaces the one being read, also one still waiting for the service;
// stop() silences both. Without a service, or without a German voice, all
// stays silent and state() and reason() say so.
class Speaker : public QObject {
    Q_OBJECT

public:
    enum class State { NotLookedFor, Searching, Ready, Unavailable };
    Q_ENUM(State)

    explicit Speaker(QObject* parent = nullptr);
    // Waits for the thread to end, half a minute at most; a thread still
    // waiting for the service after that is left to end with the process.
    ~Speaker() override;

    void speak(const QString& text);
    void stop();
    // Starts looking for the service, unless that was done.
    void find();

    State state() const { return m_state; }
    // Why texts are not read, in German: while searching and when
    // unavailable; empty when ready.
    QString reason() const { return m_reason; }

Q_SIGNALS:
    void stateChanged();

private:
    void settle(State state, const QString& reason);

    struct Voice;
    std::unique_ptr<Voice> m_voice;
    State m_state = State::NotLookedFor;
    QString m_reason;
};
