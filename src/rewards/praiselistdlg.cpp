#include "rewards/praiselistdlg.h"

#include <QListWidget>
#include <QShortcut>
#include <QValidator>

#include <algorithm>
#include <vector>

#include "base/cp1252.h"
#include "base/profile.h"
#include "base/settingskeys.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "ui_praiselistdlg.h"

namespace {

QString phraseKey(int number) {
    return QStringLiteral("Lob%1").arg(number);
}

// Refuses any edit that would hold a character the settings file cannot
// store, so nothing is changed silently on saving.
class Cp1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return CanEncodeCp1252(input) ? Acceptable : Invalid;
    }
};

} // namespace

CPraiseListDlg::CPraiseListDlg(CProfile& profile, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CPraiseListDlg>())
    , m_profile(profile)
    , m_collator(QLocale(QLocale::German, QLocale::Germany)) {
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_ui->setupUi(this);
    setFixedSize(size());
    m_ui->phraseEdit->setMaxLength(34);
    m_ui->phraseEdit->setValidator(new Cp1252Validator(m_ui->phraseEdit));

    const CProfile::Snapshot settings = m_profile.Read();
    // No count can stand for more phrases than the section has lines.
    const int count =
        std::min(settings.GetInt(Section::Praise, Key::Count, 0), settings.KeyCount(Section::Praise));
    // Sorted as if added one by one: equal phrases keep their stored order.
    std::vector<std::pair<QString, QCollatorSortKey>> phrases;
    phrases.reserve(std::size_t(std::max(count, 0)));
    for (int i = 1; i <= count; ++i) {
        QString phrase = settings.GetText(Section::Praise, phraseKey(i));
        QCollatorSortKey key = m_collator.sortKey(phrase);
        phrases.emplace_back(std::move(phrase), std::move(key));
    }
    std::stable_sort(phrases.begin(), phrases.end(),
                     [](const auto& a, const auto& b) { return a.second.compare(b.second) < 0; });
    QStringList sorted;
    sorted.reserve(qsizetype(phrases.size()));
    for (const auto& phrase : phrases)
        sorted << phrase.first;
    // Every line is one line of the same font; the list need not measure each.
    m_ui->list->setUniformItemSizes(true);
    m_ui->list->addItems(sorted);

    connect(m_ui->okButton, &QPushButton::clicked, this, &CPraiseListDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CPraiseListDlg::reject);
    connect(m_ui->addButton, &QPushButton::clicked, this, &CPraiseListDlg::onAdd);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &CPraiseListDlg::onDelete);
    connect(m_ui->helpButton, &QPushButton::clicked, this, &CPraiseListDlg::onHelp);
    new QShortcut(QKeySequence(Qt::Key_F1), this, this, &CPraiseListDlg::onHelp);
    m_ui->okButton->setFocus();
}

CPraiseListDlg::~CPraiseListDlg() = default;

void CPraiseListDlg::insertSorted(const QString& phrase) {
    QListWidget* list = m_ui->list;
    // Binary search for the first line that sorts after the phrase.
    int low = 0;
    int high = list->count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (m_collator.compare(list->item(mid)->text(), phrase) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    list->insertItem(low, phrase);
}

void CPraiseListDlg::onAdd() {
    insertSorted(m_ui->phraseEdit->text());
    QListWidget* list = m_ui->list;
    list->setCurrentRow(list->count() - 1, QItemSelectionModel::ClearAndSelect);
    m_ui->phraseEdit->clear();
}

void CPraiseListDlg::onDelete() {
    const QList<QListWidgetItem*> selected = m_ui->list->selectedItems();
    if (selected.isEmpty())
        return;
    std::unique_ptr<QListWidgetItem> gone(m_ui->list->takeItem(m_ui->list->row(selected.first())));
    m_ui->list->clearSelection();
}

void CPraiseListDlg::onHelp() {
    ShowHelp(this, Help::forTemplate(Help::PraiseEditorTemplate));
}

void CPraiseListDlg::accept() {
    CProfile::Changes changes;
    const int count = m_ui->list->count();
    for (int i = 0; i < count; ++i)
        changes.WriteText(Section::Praise, phraseKey(i + 1), m_ui->list->item(i)->text());
    changes.WriteInt(Section::Praise, Key::Count, count);
    if (!m_profile.Write(changes)) {
        ReportNotStored(this, m_profile.WriteError());
        return;
    }
    done(Cmd::IdOk);
}

void CPraiseListDlg::reject() {
    done(Cmd::IdCancel);
}
