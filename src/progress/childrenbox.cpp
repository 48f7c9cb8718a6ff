#include "progress/childrenbox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>
#include <utility>

#include "base/childlist.h"

namespace {

// Longer names do not fit the big buttons of "Wer rechnet heute?".
constexpr int kLongestName = 40;

std::optional<QString> askName(QWidget* owner, const QString& title, const QString& prompt,
                               const QString& preset) {
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("childNameDialog"));
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(prompt);
    auto* field = new QLineEdit(preset);
    field->setObjectName(QStringLiteral("childName"));
    field->setMaxLength(kLongestName);
    label->setBuddy(field);
    layout->addWidget(label);
    layout->addWidget(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    field->selectAll();
    field->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return field->text();
}

// False (after saying why) when the list refused.
bool accepted(QWidget* owner, CChildList::Result result, const QString& name) {
    QString why;
    switch (result) {
    case CChildList::Result::Done:
        return true;
    case CChildList::Result::EmptyName:
        why = QStringLiteral("Bitte geben Sie einen Namen ein.");
        break;
    case CChildList::Result::NameTaken:
        why = QStringLiteral("Ein Kind namens „%1“ gibt es schon. Bitte wählen Sie einen anderen Namen, "
                             "zum Beispiel mit dem ersten Buchstaben des Nachnamens.")
                  .arg(CChildList::Tidy(name));
        break;
    case CChildList::Result::WriteFailed:
        why = QStringLiteral("Ollo konnte die Liste der Kinder nicht speichern. Ist der Ordner der "
                             "Einstellungen schreibgeschützt oder die Festplatte voll?");
        break;
    }
    QMessageBox::warning(owner, QStringLiteral("Ollo"), why);
    return false;
}

} // namespace

CChildrenBox::CChildrenBox(CChildList& children, QString activeBaseName, RecordRemover removeRecord,
                           QWidget* parent)
    : QGroupBox(QStringLiteral("Kinder"), parent)
    , m_children(children)
    , m_activeBaseName(std::move(activeBaseName))
    , m_removeRecord(std::move(removeRecord)) {
    setObjectName(QStringLiteral("childrenBox"));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("childList"));
    m_list->setAccessibleName(QStringLiteral("Kinder"));
    m_list->setMaximumHeight(m_list->fontMetrics().height() * 6);
    left->addWidget(m_list);
    m_note = new QLabel;
    m_note->setWordWrap(true);
    left->addWidget(m_note);
    layout->addLayout(left, 1);

    auto* buttons = new QVBoxLayout;
    auto* add = new QPushButton(QStringLiteral("&Kind hinzufügen..."));
    add->setObjectName(QStringLiteral("addChildButton"));
    m_rename = new QPushButton(QStringLiteral("&Umbenennen..."));
    m_rename->setObjectName(QStringLiteral("renameChildButton"));
    m_remove = new QPushButton(QStringLiteral("&Entfernen..."));
    m_remove->setObjectName(QStringLiteral("removeChildButton"));
    for (QPushButton* button : {add, m_rename, m_remove}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, &CChildrenBox::onAdd);
    connect(m_rename, &QPushButton::clicked, this, &CChildrenBox::onRename);
    connect(m_remove, &QPushButton::clicked, this, &CChildrenBox::onRemove);
    connect(m_list, &QListWidget::currentRowChanged, this, &CChildrenBox::updateButtons);
    fill(m_activeBaseName);
}

void CChildrenBox::fill(const QString& selectBaseName) {
    m_list->clear();
    for (const CChildList::Child& child : m_children.children()) {
        const bool active = child.baseName == m_activeBaseName;
        auto* item =
            new QListWidgetItem(active ? QStringLiteral("%1 (rechnet gerade)").arg(child.name) : child.name);
        item->setData(Qt::UserRole, child.baseName);
        m_list->addItem(item);
        if (child.baseName == selectBaseName)
            m_list->setCurrentItem(item);
    }
    if (m_list->currentRow() < 0 && m_list->count() > 0)
        m_list->setCurrentRow(0);
    m_note->setText(
        m_children.children().empty()
            ? QStringLiteral("Noch keine Kinder: Alle üben mit denselben Einstellungen und einem "
                             "gemeinsamen Lernverlauf. Mit „Kind hinzufügen...“ bekommt jedes Kind "
                             "seine eigenen.")
            : QStringLiteral("Mit „Kind wechseln...“ im Menü Optionen wechseln Sie zwischen den "
                             "Kindern. Wer gerade rechnet, kann nicht entfernt werden."));
    // Read with the list as the keyboard reaches it.
    m_list->setAccessibleDescription(m_note->text());
    updateButtons();
}

QString CChildrenBox::selectedBaseName() const {
    const QListWidgetItem* item = m_list->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void CChildrenBox::updateButtons() {
    const QString selected = selectedBaseName();
    m_rename->setEnabled(!selected.isEmpty());
    m_remove->setEnabled(!selected.isEmpty() && selected != m_activeBaseName);
}

void CChildrenBox::onAdd() {
    const std::optional<QString> name =
        askName(this, QStringLiteral("Kind hinzufügen"), QStringLiteral("&Name des Kindes:"), {});
    if (!name)
        return;
    m_children.load();
    if (!accepted(this, m_children.add(*name), *name))
        return;
    fill(m_children.children().back().baseName);
}

void CChildrenBox::onRename() {
    const QString baseName = selectedBaseName();
    const CChildList::Child* child = nullptr;
    for (const CChildList::Child& candidate : m_children.children())
        if (candidate.baseName == baseName)
            child = &candidate;
    if (child == nullptr)
        return;
    const std::optional<QString> name =
        askName(this, QStringLiteral("Umbenennen"), QStringLiteral("&Neuer Name für „%1“:").arg(child->name),
                child->name);
    if (!name)
        return;
    m_children.load();
    if (accepted(this, m_children.rename(baseName, *name), *name))
        fill(baseName);
}

void CChildrenBox::onRemove() {
    const QString baseName = selectedBaseName();
    if (baseName.isEmpty() || baseName == m_activeBaseName)
        return;
    const QString name = m_list->currentItem()->text();
    QMessageBox question(QMessageBox::Question, QStringLiteral("Ollo"),
                         QStringLiteral("Soll „%1“ entfernt werden?").arg(name), QMessageBox::NoButton, this);
    question.setInformativeText(
        QStringLiteral("Die Einstellungen und der ganze Lernverlauf dieses Kindes werden "
                       "gelöscht. Das lässt sich nicht rückgängig machen."));
    QPushButton* remove = question.addButton(QStringLiteral("&Entfernen"), QMessageBox::DestructiveRole);
    QPushButton* keep = question.addButton(QStringLiteral("&Behalten"), QMessageBox::RejectRole);
    question.setDefaultButton(keep);
    question.setEscapeButton(keep);
    question.exec();
    if (question.clickedButton() != remove)
        return;
    m_children.load();
    if (!accepted(this, m_children.remove(baseName), name))
        return;
    m_removeRecord(baseName);
    fill(m_activeBaseName);
}
