#pragma once

#include <QGroupBox>

#include <functional>

class CChildList;
class QLabel;
class QListWidget;
class QPushButton;

// The progress window's "Kinder": the children set up, with "Kind
// hinzufügen...", "Umbenennen..." and "Entfernen..." (which asks first and
// deletes the child's settings and learning record). The child whose record
// the window shows is marked and cannot be removed. The note under the list
// is also the list's description, for a screen reader.
class CChildrenBox : public QGroupBox {
    Q_OBJECT

public:
    // Deletes the learning record of the settings <baseName>.INI.
    using RecordRemover = std::function<void(const QString& baseName)>;

    // activeBaseName: the base name of the running child's files; empty when
    // the program runs on the family's settings.
    CChildrenBox(CChildList& children, QString activeBaseName, RecordRemover removeRecord,
                 QWidget* parent = nullptr);

private:
    void fill(const QString& selectBaseName = {});
    void updateButtons();
    QString selectedBaseName() const;
    void onAdd();
    void onRename();
    void onRemove();

    CChildList& m_children;
    QString m_activeBaseName;
    RecordRemover m_removeRecord;
    QListWidget* m_list = nullptr;
    QPushButton* m_rename = nullptr;
    QPushButton* m_remove = nullptr;
    QLabel* m_note = nullptr;
};
