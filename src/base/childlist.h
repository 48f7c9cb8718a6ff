#pragma once

// The children a family has set up, each with a settings file and a learning
// record of their own. The list is a small UTF-8 file beside the settings,
// $XDG_CONFIG_HOME/<base>-Kinder.txt, one "<file name>=<child's name>" per
// line; it exists only while there are children, so a family without any
// runs on <base>.INI exactly as before. A child's files are named
// <base>-<name in plain letters>: "Jörg Müller" becomes "ollo-joerg-mueller",
// letters beyond a–z are spelled out or left away, anything else becomes "-",
// so any file system takes it; a name whose plain form is taken gets "-2",
// "-3", … The name itself is kept as typed. A renamed child's former names
// are kept too, on lines "#<file name>=<former name>" that older versions
// pass over, so that a launcher's "--kind <former name>" still finds them.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class CChildList {
public:
    struct Child {
        QString name;
        // "ollo-anna": the base name of the child's settings file and record.
        QString baseName;
        // Names the child had before, the latest last.
        QStringList formerNames;
    };

    // InUse: the child's files are in use by another running Ollo.
    enum class Result { Done, EmptyName, NameTaken, WriteFailed, InUse };
    // True when another running Ollo uses the files of <baseName>.
    using InUseCheck = std::function<bool(const QString& baseName)>;

    // shippedDefaults: the settings file a new child's settings are copied from.
    CChildList(QString programBaseName, QString shippedDefaults);

    // $XDG_CONFIG_HOME/<base>-Kinder.txt, by default ~/.config/<base>-Kinder.txt.
    static QString PathFor(const QString& programBaseName);
    // The plain form of a name, without the program's prefix: "joerg-mueller";
    // "kind" when nothing of the name is left.
    static QString PlainName(const QString& name);
    // A name as it is kept: line breaks and tabs become blanks, other control
    // characters and the marks that turn the direction of text (which would
    // show a name reversed) are dropped, blanks at the ends removed.
    static QString Tidy(const QString& name);

    // Reads the list again; a missing or unreadable file is no children. A
    // line of this program's children that cannot be taken is set aside:
    // one whose file name is another child's (removing one would delete the
    // other's settings and record) or holds a control character (a NUL
    // would cut the name short, onto another file), a path, a name already
    // listed or none. The first of two is kept.
    void load();
    // For the parent, in German: which lines of the list were set aside and
    // why; empty when none was.
    QString setAsideNotice() const;
    const std::vector<Child>& children() const { return m_children; }
    // By name, ignoring case and blanks at the ends; null when none. A
    // child's former name counts when no child has it now.
    const Child* find(const QString& name) const;

    // Adds a child, their settings a copy of the shipped defaults (or no file
    // when none are shipped). Names are told apart ignoring case.
    Result add(const QString& name);
    // The files keep their name.
    Result rename(const QString& baseName, const QString& newName);
    // Takes the child off the list and deletes their settings file; the list
    // file goes with the last child. Refused (InUse) while the check says
    // another Ollo runs on the child's files.
    Result remove(const QString& baseName);
    void setInUseCheck(InUseCheck check) { m_inUse = std::move(check); }

    const QString& filePath() const { return m_filePath; }
    // "ollo": the base name of the family's own settings and record.
    const QString& programBaseName() const { return m_programBaseName; }

private:
    bool save() const;
    bool nameTaken(const QString& name, const QString& exceptBaseName) const;

    QString m_programBaseName;
    QString m_shippedDefaults;
    QString m_filePath;
    std::vector<Child> m_children;
    InUseCheck m_inUse;
    // "Zeile 3 („Ben“): …", one for each line set aside by the last load.
    QStringList m_setAside;
};
