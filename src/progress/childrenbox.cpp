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
#include "kit/progressmodule.h"

namespace {

// Longer names do not fit the big buttons of "Wer rechnet heute?".
constexpr int kLongestName = 40;

std::optional<QString> askName(QWidget* owner, const QString& title, const QString& prompt,
                               const QString& preset, const QString& note = {}) {
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
    if (!note.isEmpty()) {
        auto* remark = new QLabel(note);
        remark->setWordWrap(true);
        field->setAccessibleDescription(note);
        layout->addWidget(remark);
    }
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
    case CChildList::Result::InUse:
        why = QStringLiteral("Für „%1“ ist Ollo gerade in einem anderen Fenster offen. Beenden Sie Ollo dort "
                             "zuerst; dann lässt sich „%1“ entfernen.")
                  .arg(name);
        break;
    }
    QMessageBox::warning(owner, QStringLiteral("Ollo"), why);
    return false;
}

} // namespace

CChildrenBox::CChildrenBox(CChildList& children, QString activeBaseName, ProgressSource& source,
                           QWidget* parent)
    : QGroupBox(QStringLiteral("Kinder"), parent)
    , m_children(children)
    , m_activeBaseName(std::move(activeBaseName))
    , m_source(source) {
    setObjectName(QStringLiteral("childrenBox"));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("childList"));
    m_list->setAccessibleName(QStringLiteral("Kinder"));
    m_list->setMaximumHeight(m_list->fontMetrics().height() * 4);
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
    QString note =
        m_children.children().empty()
            ? QStringLiteral("Noch keine Kinder: Alle üben mit denselben Einstellungen und einem "
                             "gemeinsamen Lernverlauf. Mit „Kind hinzufügen...“ bekommt jedes Kind "
                             "seine eigenen.")
            : QStringLiteral("Mit „Kind wechseln...“ im Menü Optionen wechseln Sie zwischen den "
                             "Kindern. Wer gerade rechnet, kann erst als letztes Kind entfernt werden.");
    // The family's history from before the children is never out of sight without a word.
    const QString family = m_children.programBaseName();
    if (!m_children.children().empty() && m_activeBaseName != family) {
        const int aside = m_source.answeredTasksOf(family);
        if (aside > 0)
            note +=
                QStringLiteral(" Der gemeinsame Lernverlauf aus der Zeit vor den Kindern (%1 Aufgaben) liegt "
                               "beiseite; er gilt wieder, sobald kein Kind mehr eingerichtet ist.")
                    .arg(aside);
    }
    m_note->setText(note);
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
    // The running child only as the last: then the family's own files take over.
    m_remove->setEnabled(!selected.isEmpty() &&
                         (selected != m_activeBaseName || m_children.children().size() == 1));
}

void CChildrenBox::onAdd() {
    const std::optional<QString> name =
        askName(this, QStringLiteral("Kind hinzufügen"), QStringLiteral("&Name des Kindes:"), {});
    if (!name)
        return;
    m_children.load();
    const bool first = m_children.children().empty();
    if (!accepted(this, m_children.add(*name), *name))
        return;
    const CChildList::Child added = m_children.children().back();
    fill(added.baseName);
    if (first && m_activeBaseName == m_children.programBaseName() &&
        m_source.answeredTasksOf(m_activeBaseName) > 0)
        askWhoseHistory(added);
}

void CChildrenBox::askWhoseHistory(const CChildList::Child& child) {
    QMessageBox question(QMessageBox::Question, QStringLiteral("Ollo"),
                         QStringLiteral("Gehört der bisherige Lernverlauf „%1“?").arg(child.name),
                         QMessageBox::NoButton, this);
    question.setInformativeText(
        QStringLiteral(
            "Bisher haben alle mit einem gemeinsamen Lernverlauf geübt (%1 Aufgaben). Gehört er "
            "„%2“, übernimmt „%2“ ihn, und Ollo rechnet nach dem Schließen dieses Fensters für "
            "„%2“. Sonst bleibt er beiseite: Er gilt wieder, sobald kein Kind mehr eingerichtet ist.")
            .arg(m_source.answeredTasksOf(m_activeBaseName))
            .arg(child.name));
    QPushButton* hers = question.addButton(
        QStringLiteral("Gehört „%1“").arg(QString(child.name).replace(u'&', QStringLiteral("&&"))),
        QMessageBox::AcceptRole);
    QPushButton* aside = question.addButton(QStringLiteral("&Beiseitelegen"), QMessageBox::RejectRole);
    question.setDefaultButton(hers);
    question.setEscapeButton(aside);
    question.exec();
    QString error;
    if (question.clickedButton() == hers && !m_source.giveHistoryTo(child.baseName, &error))
        QMessageBox::warning(this, QStringLiteral("Ollo"), error);
    fill(child.baseName);
}

void CChildrenBox::onRename() {
    const QString baseName = selectedBaseName();
    const CChildList::Child* child = nullptr;
    for (const CChildList::Child& candidate : m_children.children())
        if (candidate.baseName == baseName)
            child = &candidate;
    if (child == nullptr)
        return;
    const std::optional<QString> name = askName(
        this, QStringLiteral("Umbenennen"), QStringLiteral("&Neuer Name für „%1“:").arg(child->name),
        child->name,
        QStringLiteral("Eine Verknüpfung, die Ollo mit „--kind %1“ startet, findet das Kind auch unter "
                       "dem neuen Namen.")
            .arg(child->name));
    if (!name)
        return;
    m_children.load();
    if (accepted(this, m_children.rename(baseName, *name), *name))
        fill(baseName);
}

void CChildrenBox::onRemove() {
    const QString baseName = selectedBaseName();
    const bool last = m_children.children().size() == 1;
    if (baseName.isEmpty() || (baseName == m_activeBaseName && !last))
        return;
    QString name;
    for (const CChildList::Child& child : m_children.children())
        if (child.baseName == baseName)
            name = child.name;
    QMessageBox question(QMessageBox::Question, QStringLiteral("Ollo"),
                         QStringLiteral("Soll „%1“ entfernt werden?").arg(name), QMessageBox::NoButton, this);
    QString consequences = QStringLiteral("Die Einstellungen und der ganze Lernverlauf dieses Kindes werden "
                                          "gelöscht. Das lässt sich nicht rückgängig machen.");
    if (last)
        consequences += QStringLiteral(" Danach üben alle wieder mit den gemeinsamen Einstellungen und dem "
                                       "gemeinsamen Lernverlauf.");
    question.setInformativeText(consequences);
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
    m_source.removeRecordOf(baseName);
    fill(m_activeBaseName);
}
