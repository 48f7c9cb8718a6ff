#pragma once

#include <QGroupBox>

#include "base/childlist.h"

class CChildList;
class ProgressSource;
class QLabel;
class QListWidget;
class QPushButton;

// The progress window's "Kinder": the children set up, with "Kind
// hinzufügen...", "Umbenennen..." and "Entfernen..." (which asks first and
// deletes the child's settings and learning record). The first child added
// to a family with a history is asked about: the history becomes theirs, or
// stays aside, which the note then says. The child whose record the window
// shows is marked and can be removed only as the last one, which leads back
// to the family's own settings and record; a child another Ollo runs for
// cannot be removed. The note under the list is also the list's
// description, for a screen reader.
class CChildrenBox : public QGroupBox {
    Q_OBJECT

public:
    // activeBaseName: the base name of the files the window shows: the
    // running child's, or the family's own. source: that record.
    CChildrenBox(CChildList& children, QString activeBaseName, ProgressSource& source,
                 QWidget* parent = nullptr);

private:
    void fill(const QString& selectBaseName = {});
    void updateButtons();
    QString selectedBaseName() const;
    void onAdd();
    void onRename();
    void onRemove();
    // Asked as the first child comes: whose the family's history is.
    void askWhoseHistory(const CChildList::Child& child);

    CChildList& m_children;
    QString m_activeBaseName;
    ProgressSource& m_source;
    QListWidget* m_list = nullptr;
    QPushButton* m_rename = nullptr;
    QPushButton* m_remove = nullptr;
    QLabel* m_note = nullptr;
};
