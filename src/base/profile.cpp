#include "base/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/filereplace.h"
#include "base/textnumber.h"

namespace {

constexpr qsizetype kMaxTextLength = 4095;

const std::shared_ptr<const ProfileText>& noText() {
    static const auto empty = std::make_shared<const ProfileText>();
    return empty;
}

qint64 nanoseconds(const timespec& t) {
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

bool ownerMayWrite(const QFileInfo& info) {
    return info.permissions().testFlag(QFileDevice::WriteOwner);
}

// What a failed system call means for the user.
QString reasonOf(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return QString::fromUtf8("Auf dem Datenträger ist kein Platz mehr frei.");
    case EROFS:
        return QString::fromUtf8("Der Datenträger ist schreibgeschützt.");
    case EACCES:
    case EPERM:
        return QString::fromUtf8("Ollo darf in den Ordner der Einstellungen nicht schreiben.");
    case EIO:
        return QString::fromUtf8("Der Datenträger meldet einen Schreibfehler.");
    default:
        return QString::fromUtf8("Beim Schreiben ist ein Fehler aufgetreten (%1).")
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

int intOf(const ProfileText& text, const QString& section, const QString& key, int defaultValue) {
    const std::optional<QByteArrayView> value = text.Value(section, key);
    return value ? LeadingInt(*value, SignRule::MinusOnly) : defaultValue;
}

QString textOf(const ProfileText& text, const QString& section, const QString& key,
               const QString& defaultValue) {
    std::optional<QByteArrayView> found = text.Value(section, key);
    if (!found)
        return defaultValue;
    QByteArrayView value = *found;
    if (const qsizetype nul = value.indexOf('\0'); nul >= 0) {
        value = value.first(nul);
        while (!value.isEmpty() && (value.back() == ' ' || value.back() == '\t'))
            value.chop(1);
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    if (!text.isUtf8())
        return text.Decoded(value.first(qMin(value.size(), kMaxTextLength)));
    // A UTF-8 character takes at most four bytes.
    QString decoded = text.Decoded(value.first(qMin(value.size(), 4 * kMaxTextLength)));
    qsizetype keep = qMin(decoded.size(), kMaxTextLength);
    if (keep < decoded.size() && decoded[keep].isLowSurrogate())
        --keep;
    decoded.truncate(keep);
    return decoded;
}

} // namespace

bool CProfile::Stamp::operator==(const Stamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           nanoseconds(modified) == nanoseconds(other.modified) &&
           nanoseconds(changed) == nanoseconds(other.changed);
}

int CProfile::Snapshot::GetInt(const QString& section, const QString& key, int defaultValue) const {
    return intOf(*m_text, section, key, defaultValue);
}

QString CProfile::Snapshot::GetText(const QString& section, const QString& key,
                                    const QString& defaultValue) const {
    return textOf(*m_text, section, key, defaultValue);
}

int CProfile::Snapshot::KeyCount(const QString& section) const {
    return m_text->KeyCount(section);
}

void CProfile::Changes::WriteInt(const QString& section, const QString& key, int value) {
    WriteText(section, key, QString::number(value));
}

void CProfile::Changes::WriteText(const QString& section, const QString& key, const QString& text) {
    m_changes.push_back({section, key, text});
}

CProfile::CProfile(QString filePath)
    : m_filePath(std::move(filePath)) {
}

QString CProfile::HomeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty() && !QDir::isRelativePath(home))
        return QDir::cleanPath(home);
    // Started without an environment (a service, "env -i"): the account knows.
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(std::size_t(size > 0 ? size : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return {};
    const QString fromAccount = QFile::decodeName(found->pw_dir);
    if (fromAccount.isEmpty() || QDir::isRelativePath(fromAccount))
        return {};
    return QDir::cleanPath(fromAccount);
}

QString CProfile::PathFor(const QString& programBaseName) {
    QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (folder.isEmpty() || QDir::isRelativePath(folder)) {
        const QString home = HomeFolder();
        if (home.isEmpty())
            return {};
        folder = home + QStringLiteral("/.config");
    }
    return folder + u'/' + programBaseName + QStringLiteral(".INI");
}

std::shared_ptr<const ProfileText> CProfile::current() const {
    if (m_inMemory)
        return m_text;
    const QByteArray path = QFile::encodeName(m_filePath);
    struct stat now {};
    if (path.isEmpty() || ::stat(path.constData(), &now) != 0 || !S_ISREG(now.st_mode)) {
        m_text.reset();
        return noText();
    }
    const auto stampOf = [](const struct stat& s) {
        return Stamp{s.st_dev, s.st_ino, s.st_size, s.st_mtim, s.st_ctim};
    };
    if (m_text && m_stampTrusted && m_stamp == stampOf(now))
        return m_text;

    timespec readAt{};
    ::clock_gettime(CLOCK_REALTIME, &readAt);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_text.reset();
        return nullptr;
    }
    struct stat before {};
    struct stat after {};
    QByteArray bytes;
    bool readable = ::fstat(fd, &before) == 0;
    if (readable) {
        bytes.reserve(qsizetype(before.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                readable = n == 0;
                break;
            }
            bytes.append(buffer, n);
        }
        readable = readable && ::fstat(fd, &after) == 0;
    }
    ::close(fd);
    if (!readable) {
        m_text.reset();
        return nullptr;
    }
    m_text = std::make_shared<const ProfileText>(std::move(bytes));
    m_stamp = stampOf(after);
    // File times advance in steps of the kernel's clock tick (whole seconds
    // on some file systems): a change within the step of the version just
    // read would leave the stamp as it is, so a stamp younger than a step
    // earns no trust yet.
    const qint64 step = after.st_mtim.tv_nsec == 0 ? 2000000000 : 100000000;
    const qint64 readNs = nanoseconds(readAt);
    m_stampTrusted = stampOf(before) == m_stamp && nanoseconds(after.st_mtim) + step <= readNs &&
                     nanoseconds(after.st_ctim) + step <= readNs;
    return m_text;
}

CProfile::Snapshot CProfile::Read() const {
    std::shared_ptr<const ProfileText> text = current();
    return Snapshot(text ? std::move(text) : noText());
}

int CProfile::GetInt(const QString& section, const QString& key, int defaultValue) const {
    return Read().GetInt(section, key, defaultValue);
}

QString CProfile::GetText(const QString& section, const QString& key, const QString& defaultValue) const {
    return Read().GetText(section, key, defaultValue);
}

bool CProfile::WriteInt(const QString& section, const QString& key, int value) {
    return WriteText(section, key, QString::number(value));
}

bool CProfile::WriteText(const QString& section, const QString& key, const QString& text) {
    Changes changes;
    changes.WriteText(section, key, text);
    return Write(changes);
}

bool CProfile::fail(const char* why, const QString& reason) {
    qWarning("Ollo: could not write the settings file %s: %s", qUtf8Printable(m_filePath), why);
    m_writeError = reason;
    return false;
}

void CProfile::KeepInMemory(const QByteArray& bytes) {
    m_inMemory = true;
    m_text = std::make_shared<const ProfileText>(bytes);
}

bool CProfile::Write(const Changes& changes) {
    m_writeError.clear();
    if (changes.isEmpty())
        return true;
    if (!ProfileText::StorableNames(changes.m_changes))
        return fail("the section or key name cannot be stored",
                    QString::fromUtf8("Ein Name kann in der Einstellungsdatei nicht stehen."));

    if (m_inMemory) {
        QString why;
        std::optional<QByteArray> bytes = m_text->Changed(changes.m_changes, &why);
        if (!bytes)
            return fail(qPrintable(why),
                        QString::fromUtf8("Ein Name kann in der Einstellungsdatei nicht stehen."));
        m_text = std::make_shared<const ProfileText>(std::move(*bytes));
        return true;
    }
    if (m_filePath.isEmpty())
        return fail("there is no folder for it",
                    QString::fromUtf8("Es gibt keinen Ordner, in dem die Einstellungen liegen können."));

    const QFileInfo info(m_filePath);
    std::shared_ptr<const ProfileText> text = noText();
    if (info.exists()) {
        if (info.isDir())
            return fail("it is a folder",
                        QString::fromUtf8("An der Stelle der Einstellungsdatei steht ein Ordner."));
        if (!info.isFile())
            return fail(
                "it is not a file",
                QString::fromUtf8("An der Stelle der Einstellungsdatei steht keine gewöhnliche Datei."));
        if (!ownerMayWrite(info))
            return fail("it is read-only", QString::fromUtf8("Die Einstellungsdatei ist schreibgeschützt."));
        text = current();
        if (!text)
            return fail("it cannot be read",
                        QString::fromUtf8("Die Einstellungsdatei lässt sich nicht lesen."));
    } else {
        const QFileInfo folder(info.absolutePath());
        if (!folder.exists() && !QDir().mkpath(folder.absoluteFilePath()))
            return fail("its folder cannot be created",
                        QString::fromUtf8("Der Ordner für die Einstellungen lässt sich nicht anlegen."));
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir() || !ownerMayWrite(folder))
        return fail("its folder is not writable",
                    QString::fromUtf8("Der Ordner der Einstellungen ist schreibgeschützt."));

    QString why;
    const std::optional<QByteArray> bytes = text->Changed(changes.m_changes, &why);
    if (!bytes)
        return fail(qPrintable(why),
                    QString::fromUtf8("Ein Name kann in der Einstellungsdatei nicht stehen."));
    int error = 0;
    if (!ReplaceFile(m_filePath, *bytes, &error))
        return fail(std::strerror(error), reasonOf(error));
    // The next read takes the file from the disk: only then is its stamp known.
    m_text.reset();
    return true;
}
