#pragma once

// The settings: one INI file of [sections] with key=value lines, Windows-1252
// text, or UTF-8 where an editor saved it so (written back as found, with or
// without its byte order mark). CProfile is the only way to it. Every read
// sees the file as it is on disk: the parsed file is kept only while its
// size, times and inode stay the same, so a hand edit shows at the next read.
// A dialog reads through one Snapshot and stores its changes together, as one
// replacement of the file that happens only once every byte reached the disk.
// Readers pass their own defaults; a missing file, section or key reads as
// that default.

#include <QByteArray>
#include <QString>

#include <ctime>
#include <memory>
#include <vector>
#include <sys/types.h>

#include "base/profiletext.h"

class CProfile {
public:
    // The file as it stood when taken, read and parsed once.
    class Snapshot {
    public:
        // Leading decimal digits of the stored value (a minus sign is taken,
        // values wrap at 32 bits); text not starting with a digit reads 0.
        int GetInt(const QString& section, const QString& key, int defaultValue) const;
        // The stored value without surrounding blanks and one pair of matching
        // outer quotes, at most 4095 characters.
        QString GetText(const QString& section, const QString& key, const QString& defaultValue = {}) const;
        // The lines with an equals sign in the first section of that name: no
        // count stored in the file can stand for more entries than this.
        int KeyCount(const QString& section) const;

    private:
        friend class CProfile;
        explicit Snapshot(std::shared_ptr<const ProfileText> text)
            : m_text(std::move(text)) {}
        std::shared_ptr<const ProfileText> m_text;
    };

    // Writes stored together, in the order given; the file ends up with the
    // bytes that the same writes one by one would leave.
    class Changes {
    public:
        void WriteInt(const QString& section, const QString& key, int value);
        void WriteText(const QString& section, const QString& key, const QString& text);
        bool isEmpty() const { return m_changes.empty(); }

    private:
        friend class CProfile;
        std::vector<ProfileChange> m_changes;
    };

    explicit CProfile(QString filePath);

    // Where the settings file of a program file with this base name lives:
    // $XDG_CONFIG_HOME/<base>.INI, by default <home>/.config/<base>.INI, the
    // home from $HOME or else from the account. Empty without any home.
    static QString PathFor(const QString& programBaseName);
    // The account's home: $HOME, or where the account says when it is unset
    // or relative. Empty without any.
    static QString HomeFolder();

    const QString& filePath() const { return m_filePath; }

    Snapshot Read() const;
    int GetInt(const QString& section, const QString& key, int defaultValue) const;
    QString GetText(const QString& section, const QString& key, const QString& defaultValue = {}) const;

    // Writes change only the lines concerned and replace the file atomically,
    // so a crash or a full disk during a write leaves the old or the new file,
    // never a cut one. A failed write changes nothing, is logged on standard
    // error and leaves its reason in WriteError.
    bool WriteInt(const QString& section, const QString& key, int value);
    bool WriteText(const QString& section, const QString& key, const QString& text);
    bool Write(const Changes& changes);
    // Why the last write failed, one German sentence for the user; empty
    // after a write that succeeded.
    const QString& WriteError() const { return m_writeError; }

    // From now on the settings live in memory only, starting from these
    // bytes: for a program that has no place to keep a file.
    void KeepInMemory(const QByteArray& bytes);
    bool InMemory() const { return m_inMemory; }

private:
    // What identifies one version of the file on disk.
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const Stamp& other) const;
    };

    // The file as it is now; null when it exists but cannot be read.
    std::shared_ptr<const ProfileText> current() const;
    bool fail(const char* why, const QString& reason);

    QString m_filePath;
    bool m_inMemory = false;
    QString m_writeError;
    mutable std::shared_ptr<const ProfileText> m_text;
    mutable Stamp m_stamp;
    // False while a change within the file system's clock step could hide
    // behind an unchanged stamp: the file is then read again.
    mutable bool m_stampTrusted = false;
};
