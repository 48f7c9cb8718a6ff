#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

// One running copy per settings file: two copies would overwrite each
// other's changes. The first start listens on a local socket named after the
// settings file; a later start for the same file asks it to bring its window
// to the front and ends. The socket lies in a folder only the user can enter
// (the runtime folder, or a 0700 folder of theirs in the temporary folder), so
// that no other user can answer in the running copy's place; where no such
// folder can be had, the program runs without this guard and says so on
// standard error. Plain AF_UNIX sockets keep the program off Qt Network and
// the libraries that one loads.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(const QString& settingsPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when a running copy took the request, so this one should end;
    // otherwise this copy listens from now on (a socket left by a copy that
    // died is taken over).
    bool HandOver();

    // True when a copy runs on these settings (this one too, once it
    // listens); it is not asked to show itself.
    static bool IsRunning(const QString& settingsPath);

Q_SIGNALS:
    // A later start asked to see the window.
    void showRequested();

private:
    bool askRunningCopy() const;
    // 0 or the errno of the step that failed.
    int listen();
    void onConnection();

    QByteArray m_path; // in the file system's encoding
    int m_listener = -1;
    // The socket file this copy made, to leave one that replaced it alone.
    quint64 m_device = 0;
    quint64 m_inode = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
