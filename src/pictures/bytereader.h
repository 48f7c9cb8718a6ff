#pragma once

// How the picture decoders read a file: by offset, never mapped, so a file
// another program cuts short or rewrites while it is read gives a short read
// (which every caller checks), never a crash. The first bytes for the
// headers, then the rest a piece at a time.

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <optional>

#include <sys/stat.h>

#include "pictures/picturefile.h"

namespace PictureDecoding {

// The headers, the masks and the largest colour table fit in the first bytes.
constexpr qint64 kHeadBytes = 4096;
// Run-length and GIF data are read in pieces of this size.
constexpr qint64 kStreamBytes = 64 * 1024;

inline std::optional<FileVersion> versionOf(const struct stat& s) {
    FileVersion version;
    version.size = s.st_size;
    version.modifiedNs = qint64(s.st_mtim.tv_sec) * 1000000000LL + s.st_mtim.tv_nsec;
    version.inode = s.st_ino;
    version.device = s.st_dev;
    return version;
}

// A file read by offset; never mapped, so a file cut short by someone else
// gives a short read, which every caller checks.
class FileReader {
public:
    explicit FileReader(const QString& fileName)
        : m_file(fileName) {
        if (!QFileInfo(fileName).isFile()) {
            m_why =
                QFileInfo::exists(fileName) ? QStringLiteral("not a file") : QStringLiteral("no such file");
            return;
        }
        if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            m_why = QStringLiteral("cannot be opened (%1)").arg(m_file.errorString());
            return;
        }
        m_size = m_file.size();
    }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool isOpen() const { return m_file.isOpen(); }
    const QString& whyNotOpen() const { return m_why; }
    // The size when the file was opened.
    qint64 size() const { return m_size; }

    // Up to count bytes from offset; how many there were, -1 on an error.
    qint64 readSome(qint64 offset, char* out, qint64 count) {
        if (offset < 0 || count < 0 || !m_file.seek(offset))
            return -1;
        qint64 done = 0;
        while (done < count) {
            const qint64 got = m_file.read(out + done, count - done);
            if (got < 0)
                return -1;
            if (got == 0)
                break;
            done += got;
        }
        return done;
    }
    bool readAt(qint64 offset, char* out, qint64 count) { return readSome(offset, out, count) == count; }

    // Of the open file; none for a resource.
    std::optional<FileVersion> version() const {
        struct stat s {};
        const int fd = m_file.handle();
        if (fd < 0 || ::fstat(fd, &s) != 0)
            return std::nullopt;
        return versionOf(s);
    }

private:
    QFile m_file;
    QString m_why;
    qint64 m_size = 0;
};

// The first bytes of a file, for the headers, and the file's size, for the
// extent of what they describe.
class Head {
public:
    Head(QByteArray bytes, qint64 fileSize)
        : m_bytes(std::move(bytes))
        , m_fileSize(fileSize) {}

    bool has(qint64 offset, qint64 count) const { return within(offset, count, m_bytes.size()); }
    bool fileHas(qint64 offset, qint64 count) const { return within(offset, count, m_fileSize); }
    qint64 fileSize() const { return m_fileSize; }
    bool startsWith(const char* magic) const { return m_bytes.startsWith(magic); }
    quint8 u8(qint64 offset) const { return quint8(m_bytes[offset]); }
    quint16 u16(qint64 offset) const { return qFromLittleEndian<quint16>(m_bytes.constData() + offset); }
    quint32 u32(qint64 offset) const { return qFromLittleEndian<quint32>(m_bytes.constData() + offset); }

private:
    static bool within(qint64 offset, qint64 count, qint64 size) {
        return offset >= 0 && count >= 0 && offset <= size && count <= size - offset;
    }

    QByteArray m_bytes;
    qint64 m_fileSize = 0;
};

// The bytes of a file from a position on, in order, read a piece at a time.
class ByteStream {
public:
    ByteStream(FileReader& file, qint64 position)
        : m_file(file)
        , m_position(position) {}

    // The next byte, -1 at the end of the file.
    int next() {
        if (m_index == m_buffer.size() && !fill())
            return -1;
        ++m_position;
        return quint8(m_buffer.constData()[m_index++]);
    }
    bool read(char* out, qint64 count) {
        while (count > 0) {
            if (m_index == m_buffer.size() && !fill())
                return false;
            const qint64 piece = std::min<qint64>(count, m_buffer.size() - m_index);
            std::memcpy(out, m_buffer.constData() + m_index, size_t(piece));
            m_index += piece;
            m_position += piece;
            out += piece;
            count -= piece;
        }
        return true;
    }
    bool skip(qint64 count) {
        const qint64 buffered = std::min<qint64>(count, m_buffer.size() - m_index);
        m_index += buffered;
        m_position += count;
        if (count > buffered) {
            m_buffer.clear();
            m_index = 0;
        }
        return true;
    }

private:
    bool fill() {
        m_buffer.resize(kStreamBytes);
        const qint64 got = m_file.readSome(m_position, m_buffer.data(), kStreamBytes);
        m_buffer.resize(std::max<qint64>(got, 0));
        m_index = 0;
        return got > 0;
    }

    FileReader& m_file;
    qint64 m_position = 0;
    QByteArray m_buffer;
    qsizetype m_index = 0;
};

} // namespace PictureDecoding
