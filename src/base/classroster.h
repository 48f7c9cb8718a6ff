#pragma once

// The roster of a class as this computer last fetched it from the school's
// server, so that "Wer rechnet heute?" offers it even when the server cannot
// be reached: $XDG_DATA_HOME/ollo/<base>-klasse-<class>.txt (the class's name
// in plain letters), one "<id>=<name>" a line in UTF-8, the id being the
// child's UUID on the server. A child's learning record lies beside it as
// <base>-klasse-<class>-<id>.sqlite, named by the id, so that a child the
// teacher renames keeps it.

#include <QString>

#include <vector>

class ClassRoster {
public:
    struct Child {
        QString id; // the server's UUID, "xxxxxxxx-xxxx-…", lower case
        QString name;

        bool operator==(const Child&) const = default;
    };

    ClassRoster(QString programBaseName, QString className);

    // $XDG_DATA_HOME/ollo, by default ~/.local/share/ollo: where the learning
    // records are.
    static QString DataFolder();

    const QString& filePath() const { return m_filePath; }
    const QString& className() const { return m_className; }

    // Reads the file again; a missing or unreadable one is no children. Lines
    // without a valid id or a name are left out, and a second line of an id
    // or a name.
    void load();
    // In the order a German reads the names.
    const std::vector<Child>& children() const { return m_children; }
    // By name, ignoring case and blanks at the ends; null when none.
    const Child* find(const QString& name) const;

    // Replaces the list, file and all, whole or not at all. False when the
    // file cannot be written; the list is then the new one all the same.
    bool save(std::vector<Child> children);

    // "ollo-klasse-3b-<id>": the base name of that child's learning record.
    QString recordBaseName(const QString& childId) const;

private:
    QString m_programBaseName;
    QString m_className;
    QString m_filePath;
    std::vector<Child> m_children;
};
