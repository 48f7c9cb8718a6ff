#include "base/filereplace.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A descriptor and the new file it writes; closes and removes it unless kept.
class NewFile {
public:
    explicit NewFile(QByteArray path)
        : m_path(std::move(path)) {}
    ~NewFile() {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_kept && !m_path.isEmpty())
            ::unlink(m_path.constData());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool open() {
        m_fd = ::open(m_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return m_fd >= 0;
    }
    int fd() const { return m_fd; }
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        // The descriptor is gone even when close reports an interruption.
        return ::close(fd) == 0 || errno == EINTR;
    }
    void forget() { m_path.clear(); }
    void keep() { m_kept = true; }
    const QByteArray& path() const { return m_path; }

private:
    QByteArray m_path;
    int m_fd = -1;
    bool m_kept = false;
};

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(std::min<qsizetype>(left, qsizetype(1) << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// The rename reaches the disk with the folder's entries; a file system
// that cannot sync a folder has nothing to lose there.
void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool ReplaceFile(const QString& path, const QByteArray& bytes, int* error) {
    const QFileInfo link(path);
    const QString targetPath = link.isSymLink() ? link.symLinkTarget() : path;
    const QByteArray target = QFile::encodeName(targetPath);
    const QByteArray folder = QFile::encodeName(QFileInfo(targetPath).absolutePath());
    const auto fail = [error] {
        *error = errno;
        return false;
    };

    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;

    std::unique_ptr<NewFile> file;
    for (int attempt = 0; !file; ++attempt) {
        const QByteArray name = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        auto candidate = std::make_unique<NewFile>(name);
        if (candidate->open()) {
            file = std::move(candidate);
        } else {
            const int why = errno;
            candidate->forget(); // someone else's file, or none was made
            errno = why;
            if (why != EEXIST || attempt >= 100)
                return fail();
        }
    }
    if (exists && ::fchmod(file->fd(), old.st_mode & 07777) != 0)
        return fail();
    if (!writeAll(file->fd(), bytes))
        return fail();
    if (::fsync(file->fd()) != 0)
        return fail();
    if (!file->close())
        return fail();
    if (::rename(file->path().constData(), target.constData()) != 0)
        return fail();
    file->keep();
    syncFolder(folder);
    return true;
}
