#include "settings/mypropertypage4.h"

#include <QCollator>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

#include "base/profile.h"
#include "base/settingskeys.h"
#include "kit/helpcontexts.h"
#include "ui_mypropertypage4.h"

namespace {

// Where an entry goes in a list kept sorted as German readers sort, without
// regard to letter case ("Bär.bmp" beside "bild.bmp", not after "z"); equal
// entries keep the order they were added in.
int sortedRow(const QListWidget& list, const QString& entry) {
    QCollator german(QLocale(QLocale::German, QLocale::Germany));
    german.setCaseSensitivity(Qt::CaseInsensitive);
    int row = 0;
    while (row < list.count() && german.compare(list.item(row)->text(), entry) <= 0)
        ++row;
    return row;
}

} // namespace

CMyPropertyPage4::CMyPropertyPage4(CProfile& profile, QWidget* parent)
    : QWidget(parent)
    , m_profile(profile)
    , m_ui(std::make_unique<Ui::CMyPropertyPage4>()) {
    m_ui->setupUi(this);
    connect(m_ui->setBackdropButton, &QPushButton::clicked, this, &CMyPropertyPage4::onSet);
}

CMyPropertyPage4::~CMyPropertyPage4() = default;

void CMyPropertyPage4::Load() {
    const CProfile::Snapshot settings = m_profile.Read();
    // No count can stand for more pictures than the section has lines.
    m_listCount = std::min(settings.GetInt(Section::Pictures, Key::BackdropCount, 0),
                           settings.KeyCount(Section::Pictures));
    m_ui->backdropLabel->setText(
        settings.GetText(Section::Parameter, Key::Backdrop, QStringLiteral("maus.bmp")));
    for (int i = 1; i <= m_listCount; ++i) {
        const QString name = settings.GetText(Section::Pictures, QStringLiteral("Bild%1").arg(i));
        m_ui->backdropList->insertItem(sortedRow(*m_ui->backdropList, name), name);
    }
}

void CMyPropertyPage4::onSet() {
    if (const QListWidgetItem* selected = m_ui->backdropList->currentItem();
        selected && selected->isSelected())
        m_name = selected->text();
    m_ui->backdropLabel->setText(m_name);
}

void CMyPropertyPage4::Store(CProfile::Changes& changes) {
    m_name = m_ui->backdropLabel->text();
    changes.WriteText(Section::Parameter, Key::Backdrop, m_name);
    changes.WriteInt(Section::Parameter, Key::BackdropChanged, 1);
}

int CMyPropertyPage4::HelpContext() {
    return Help::forTemplate(Help::BackgroundPageTemplate);
}
