#include "shell/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kConnectMs = 2000;
constexpr int kAnswerMs = 5000;
// Longer than any line a start sends: more without an end of line is not
// one of ours.
constexpr qsizetype kLineLimit = 64;
const QByteArray kShow = "show\n";
const QByteArray kShown = "shown\n";

// A folder nobody but this user can enter or write, so that no one else can
// put a socket where a later start looks for the running copy: it is the
// user's own, a real folder and not a link, closed to group and others.
bool isPrivateFolder(const QString& path) {
    struct stat folder {};
    return ::lstat(QFile::encodeName(path).constData(), &folder) == 0 && S_ISDIR(folder.st_mode) &&
           folder.st_uid == ::getuid() && (folder.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// The user's runtime folder where there is one, the same for every start of
// the session whatever TMPDIR says; otherwise (su, startx without a login
// manager) a folder of the user's own in the temporary folder, made 0700.
// Empty when neither can be had: another user made that folder first, or it
// is a link.
QString socketFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime;
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("ollo-%1").arg(::getuid()));
    ::mkdir(QFile::encodeName(own).constData(), S_IRWXU);
    return isPrivateFolder(own) ? own : QString();
}

// Empty when there is no private folder for it.
QString socketPath(const QString& settingsPath) {
    const QString folder = socketFolder();
    if (folder.isEmpty())
        return {};
    const QByteArray hash = QCryptographicHash::hash(QFileInfo(settingsPath).absoluteFilePath().toUtf8(),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(16);
    return QDir(folder).filePath(QStringLiteral("ollo-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash)));
}

// False when the path does not fit, with its end mark, in sun_path (108 bytes).
bool fillAddress(const QByteArray& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    return true;
}

const sockaddr* asSockaddr(const sockaddr_un& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// True once fd is ready for events, or has failed or hung up (the next call
// on it tells); false when the deadline passed first.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, int(deadline.remainingTime())); // -1: forever
        if (ready != -1)
            return ready > 0;
        if (errno != EINTR)
            return false;
    }
}

bool lineComplete(const QByteArray& line) {
    return line.contains('\n') || line.size() > kLineLimit;
}

// Appends what the non-blocking fd holds now, up to the end of a line;
// false once the peer closed or the socket failed.
bool readAvailable(int fd, QByteArray& line) {
    char bytes[kLineLimit];
    while (!lineComplete(line)) {
        const ssize_t got = ::recv(fd, bytes, sizeof bytes, 0);
        if (got > 0)
            line.append(bytes, got);
        else if (got == 0)
            return false;
        else if (errno == EAGAIN || errno == EWOULDBLOCK)
            return true;
        else if (errno != EINTR)
            return false;
    }
    return true;
}

bool sendAll(int fd, const QByteArray& bytes, const QDeadlineTimer& deadline) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        // MSG_NOSIGNAL: a peer gone away must not end this copy with SIGPIPE.
        const ssize_t done =
            ::send(fd, bytes.constData() + sent, std::size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (done >= 0)
            sent += done;
        else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!waitFor(fd, POLLOUT, deadline))
                return false;
        } else if (errno != EINTR)
            return false;
    }
    return true;
}

// A blocking connect to a local socket waits only while the listener's queue
// is full; SO_SNDTIMEO bounds that wait. -1 when nobody listens or the time
// ran out.
int connectTo(const sockaddr_un& address, const QDeadlineTimer& deadline) {
    for (;;) {
        Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (socket.get() < 0)
            return -1;
        const qint64 left = std::max<qint64>(deadline.remainingTime(), 1);
        const timeval timeout{time_t(left / 1000), suseconds_t(left % 1000 * 1000)};
        ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        if (::connect(socket.get(), asSockaddr(address), sizeof address) == 0)
            return socket.release();
        // After an interrupted connect a fresh socket starts clean.
        if (errno != EINTR || deadline.hasExpired())
            return -1;
    }
}

// One accepted start; its line is read as it comes, never waited for, so a
// start that connects and says nothing holds nothing up.
class Connection : public QObject {
public:
    Connection(int fd, SingleInstance* owner)
        : QObject(owner)
        , m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read) {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this, owner] { onReadable(owner); });
    }
    ~Connection() override { end(); }

private:
    void onReadable(SingleInstance* owner) {
        if (readAvailable(m_fd, m_line) && !lineComplete(m_line))
            return;
        if (m_line.left(m_line.indexOf('\n') + 1) == kShow) {
            const QPointer<Connection> alive(this);
            Q_EMIT owner->showRequested();
            if (!alive)
                return;
            ::send(m_fd, kShown.constData(), std::size_t(kShown.size()), MSG_NOSIGNAL);
        }
        end();
        deleteLater();
    }

    void end() {
        if (m_fd < 0)
            return;
        m_notifier.setEnabled(false);
        ::close(m_fd);
        m_fd = -1;
    }

    int m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_line;
};

} // namespace

SingleInstance::SingleInstance(const QString& settingsPath, QObject* parent)
    : QObject(parent)
    , m_path(QFile::encodeName(socketPath(settingsPath))) {
}

SingleInstance::~SingleInstance() {
    if (m_listener < 0)
        return;
    m_notifier.reset();
    // Once the file was removed under this copy, another may have made its
    // own there; that one stays.
    struct stat file {};
    if (::lstat(m_path.constData(), &file) == 0 && quint64(file.st_dev) == m_device &&
        quint64(file.st_ino) == m_inode)
        ::unlink(m_path.constData());
    ::close(m_listener);
}

bool SingleInstance::IsRunning(const QString& settingsPath) {
    sockaddr_un address;
    if (!fillAddress(QFile::encodeName(socketPath(settingsPath)), address))
        return false;
    // A socket nobody listens on any more refuses the connection.
    const Descriptor socket(connectTo(address, QDeadlineTimer(kConnectMs)));
    return socket.get() >= 0;
}

bool SingleInstance::askRunningCopy() const {
    sockaddr_un address;
    if (!fillAddress(m_path, address))
        return false;
    const Descriptor socket(connectTo(address, QDeadlineTimer(kConnectMs)));
    if (socket.get() < 0)
        return false;
    ::fcntl(socket.get(), F_SETFL, ::fcntl(socket.get(), F_GETFL) | O_NONBLOCK);
    const QDeadlineTimer deadline(kAnswerMs);
    QByteArray answer;
    bool open = sendAll(socket.get(), kShow, deadline);
    while (open && !lineComplete(answer)) {
        open = readAvailable(socket.get(), answer);
        if (open && !lineComplete(answer))
            open = waitFor(socket.get(), POLLIN, deadline);
    }
    // A copy that accepts but does not answer still runs: starting a second
    // one would bring back the lost changes this guards against.
    if (answer != kShown)
        std::fputs("Ollo: a running copy did not answer; this one ends all the same\n", stderr);
    return true;
}

int SingleInstance::listen() {
    sockaddr_un address;
    if (!fillAddress(m_path, address))
        return ENAMETOOLONG;
    Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.get() < 0)
        return errno;
    // bind gives the file the socket's mode less the umask, so it is the
    // user's alone from the start; the chmod after covers a kernel that does
    // not carry the mode over.
    ::fchmod(socket.get(), S_IRUSR | S_IWUSR);
    if (::bind(socket.get(), asSockaddr(address), sizeof address) != 0)
        return errno;
    struct stat file {};
    if (::chmod(m_path.constData(), S_IRUSR | S_IWUSR) != 0 || ::lstat(m_path.constData(), &file) != 0 ||
        ::listen(socket.get(), SOMAXCONN) != 0) {
        const int error = errno;
        ::unlink(m_path.constData());
        return error;
    }
    m_device = quint64(file.st_dev);
    m_inode = quint64(file.st_ino);
    m_listener = socket.release();
    return 0;
}

bool SingleInstance::HandOver() {
    if (m_path.isEmpty()) {
        // Said once, however often the child is switched.
        static bool told = false;
        if (!std::exchange(told, true))
            std::fputs("Ollo: no folder of this user's own for the running-copy socket (XDG_RUNTIME_DIR "
                       "is unset and the one in the temporary folder is not private); a second start "
                       "will not be noticed\n",
                       stderr);
        return false;
    }
    if (askRunningCopy())
        return true;
    int error = listen();
    if (error == EADDRINUSE) {
        // Another start may have begun listening just now; else the socket
        // is a dead copy's.
        if (askRunningCopy())
            return true;
        struct stat file {};
        if (::lstat(m_path.constData(), &file) == 0 && S_ISSOCK(file.st_mode))
            ::unlink(m_path.constData());
        error = listen();
    }
    if (error != 0) {
        std::fprintf(stderr, "Ollo: cannot listen for later starts: %s\n", std::strerror(error));
        return false;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_listener, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SingleInstance::onConnection);
    return false;
}

void SingleInstance::onConnection() {
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0)
            new Connection(fd, this); // owned by this, gone once answered
        else if (errno != EINTR && errno != ECONNABORTED)
            return;
    }
}
