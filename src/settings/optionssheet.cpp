#include "settings/optionssheet.h"

#include <QFont>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "base/profile.h"
#include "base/settingskeys.h"
#include "kit/focusmark.h"
#include "kit/showhelp.h"
#include "settings/mypropertypage1.h"
#include "settings/mypropertypage3.h"
#include "settings/mypropertypage4.h"

COptionsSheet::COptionsSheet(CProfile& profile, QWidget* parent)
    : QDialog(parent)
    , m_profile(profile) {
    setWindowTitle(QStringLiteral("Einstellungen"));
    // The pages are laid out for the 8-point dialog font; tabs and buttons match them.
    QFont dialogFont(QStringLiteral("Liberation Sans"));
    dialogFont.setPointSize(8);
    setFont(dialogFont);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("pages"));
    // Every tab in sight: the sheet grows to hold them.
    m_tabs->setUsesScrollButtons(false);
    m_tabs->tabBar()->setElideMode(Qt::ElideNone);
    m_rewardPage = new CMyPropertyPage1(profile);
    m_countsPage = new CMyPropertyPage3(profile);
    m_backgroundPage = new CMyPropertyPage4(profile);
    for (QWidget* page : {static_cast<QWidget*>(m_rewardPage), static_cast<QWidget*>(m_countsPage),
                          static_cast<QWidget*>(m_backgroundPage)}) {
        // The tab shows the page's caption; the page keeps the size of its form.
        page->setMinimumSize(page->size());
        // The frog and the chick are painted on the dialog grey; so is the page.
        page->setAutoFillBackground(true);
        m_tabs->addTab(page, page->windowTitle());
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Abbruch"), this);
    auto* help = new QPushButton(QStringLiteral("Hilfe"), this);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    help->setObjectName(QStringLiteral("help"));
    ok->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {ok, cancel, help}) {
        button->setMinimumWidth(88);
        buttons->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &COptionsSheet::accept);
    connect(cancel, &QPushButton::clicked, this, &COptionsSheet::reject);
    connect(help, &QPushButton::clicked, this, &COptionsSheet::onHelp);
    new QShortcut(QKeySequence(Qt::Key_F1), this, this, &COptionsSheet::onHelp);
    connect(m_tabs, &QTabWidget::currentChanged, this, &COptionsSheet::onPageShown);

    m_tabs->setCurrentIndex(0);
    onPageShown(0);
    FocusMark::ShowFromTheStart(this);
}

COptionsSheet::~COptionsSheet() = default;

int COptionsSheet::Run(CProfile& profile, QWidget* parent, const std::function<void()>& repaintMainWindow) {
    int result = 0;
    {
        COptionsSheet sheet(profile, parent);
        result = sheet.exec();
    }
    if (profile.GetInt(Section::Parameter, Key::BackdropChanged, 0) != 0) {
        if (repaintMainWindow)
            repaintMainWindow();
        profile.WriteInt(Section::Parameter, Key::BackdropChanged, 0);
    }
    return result;
}

void COptionsSheet::onPageShown(int index) {
    if (index < 0 || index >= int(m_shown.size()) || m_shown[std::size_t(index)])
        return;
    m_shown[std::size_t(index)] = true;
    switch (index) {
    case 0:
        m_rewardPage->Load();
        break;
    case 1:
        m_countsPage->Load();
        break;
    default:
        m_backgroundPage->Load();
        break;
    }
}

void COptionsSheet::accept() {
    CProfile::Changes changes;
    if (m_shown[0])
        m_rewardPage->Store(changes);
    if (m_shown[1])
        m_countsPage->Store(changes);
    if (m_shown[2])
        m_backgroundPage->Store(changes);
    if (!m_profile.Write(changes)) {
        ReportNotStored(this, m_profile.WriteError());
        return;
    }
    QDialog::accept();
}

void COptionsSheet::onHelp() {
    const int index = m_tabs->currentIndex();
    const int context = index == 0   ? CMyPropertyPage1::HelpContext()
                        : index == 1 ? CMyPropertyPage3::HelpContext()
                                     : CMyPropertyPage4::HelpContext();
    ShowHelp(this, context);
}
