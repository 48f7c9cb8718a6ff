#pragma once

// The bytes of a settings file, parsed once: its text encoding, the first
// section of every name and, when first asked for, the first key of every
// name in a section. It holds the rules by which the file is read and
// changed; CProfile decides when the file is read again and how changed bytes
// reach the disk. Names match without regard to the case of ASCII letters.

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

struct ProfileChange {
    QString section;
    QString key;
    QString text;
};

class ProfileText {
public:
    // Text is UTF-8 when the bytes are valid UTF-8 and either start with a
    // byte order mark or hold other than ASCII characters; else Windows-1252.
    explicit ProfileText(QByteArray bytes = {});
    ~ProfileText();
    ProfileText(const ProfileText&) = delete;
    ProfileText& operator=(const ProfileText&) = delete;

    const QByteArray& bytes() const { return m_bytes; }
    bool isUtf8() const { return m_utf8; }

    // The value of the first key of that name in the first section of that
    // name, without blanks around it; nothing when either is missing.
    std::optional<QByteArrayView> Value(const QString& section, const QString& key) const;
    QString Decoded(QByteArrayView bytes) const;
    // How many lines with an equals sign the first section of that name holds.
    int KeyCount(const QString& section) const;

    // Whether every section and key name of the changes can stand in a file
    // and be found again.
    static bool StorableNames(const std::vector<ProfileChange>& changes);

    // The bytes after the changes, in order, as if each had been written
    // alone: a key present is replaced in place, a new key goes after the
    // last non-blank line of its section, a new section at the end. Nothing
    // when StorableNames refuses them; *why then says so.
    std::optional<QByteArray> Changed(const std::vector<ProfileChange>& changes, QString* why) const;

private:
    struct Section;
    class NameTable;

    QByteArray encoded(const QString& text) const;
    int sectionIndex(QByteArrayView name) const;
    qsizetype keyLine(int section, QByteArrayView key) const;
    void indexKeys(const Section& section) const;

    QByteArray m_bytes;
    qsizetype m_start = 0; // after a byte order mark
    bool m_utf8 = false;
    std::vector<Section> m_sections; // the first of each name, in file order
    std::unique_ptr<NameTable> m_sectionNames;
};
