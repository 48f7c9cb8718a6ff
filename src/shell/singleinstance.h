#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One running copy per settings file: two copies would overwrite each
// other's changes. The first start listens on a local socket named after the
// settings file; a later start for the same file asks it to bring its window
// to the front and ends.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(const QString& settingsPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when a running copy took the request, so this one should end;
    // otherwise this copy listens from now on (a socket left by a copy that
    // died is taken over).
    bool HandOver();

Q_SIGNALS:
    // A later start asked to see the window.
    void showRequested();

private:
    bool askRunningCopy();
    void onConnection();

    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
};
