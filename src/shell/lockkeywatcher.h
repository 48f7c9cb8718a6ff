#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

// Tells when the keyboard's lock indicators change, the moment the X server
// reports it (its keyboard extension's indicator notifications), so the
// status bar's "UF", "NUM" and "RF" follow the keys at once. Where the
// platform cannot tell (offscreen, Wayland) it never signals.
class LockKeyWatcher : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit LockKeyWatcher(QObject* parent = nullptr);
    ~LockKeyWatcher() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

Q_SIGNALS:
    void changed();

private:
    int m_xkbEventBase = -1; // the extension's event code; -1 while nothing is watched
};
