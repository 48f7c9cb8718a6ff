#pragma once

// The settings: one INI file of [sections] with key=value lines, 8-bit
// Windows-1252 text. CProfile is the only way to it. Nothing is cached: every
// read reads the file, every write rewrites it at once, so a dialog sees what
// the last one stored. Readers pass their own defaults; a missing file,
// section or key reads as that default.

#include <QByteArray>
#include <QString>

class CProfile {
public:
    explicit CProfile(QString filePath);

    // Where the settings file of a program file with this base name lives:
    // $XDG_CONFIG_HOME/<base>.INI, by default ~/.config/<base>.INI.
    static QString PathFor(const QString& programBaseName);

    const QString& filePath() const { return m_filePath; }

    // Leading decimal digits of the stored value (a minus sign is taken, values
    // wrap at 32 bits); text not starting with a digit reads 0.
    int GetInt(const QString& section, const QString& key, int defaultValue) const;
    // The stored value without surrounding blanks and one pair of matching outer
    // quotes, at most 4095 characters.
    QString GetText(const QString& section, const QString& key, const QString& defaultValue = {}) const;

    // Writes change only the line concerned and replace the file atomically, so
    // a crash during a write leaves the old or the new file, never a cut one.
    // A failed write changes nothing and is logged on standard error.
    bool WriteInt(const QString& section, const QString& key, int value);
    bool WriteText(const QString& section, const QString& key, const QString& text);

private:
    bool readFile(QByteArray* bytes) const;

    QString m_filePath;
};
