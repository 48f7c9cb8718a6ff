#include "settings/mypropertypage3.h"

#include "base/profile.h"
#include "base/settingskeys.h"
#include "kit/helpcontexts.h"
#include "ui_mypropertypage3.h"

CMyPropertyPage3::CMyPropertyPage3(CProfile& profile, QWidget* parent)
    : QWidget(parent)
    , m_profile(profile)
    , m_ui(std::make_unique<Ui::CMyPropertyPage3>()) {
    m_ui->setupUi(this);
}

CMyPropertyPage3::~CMyPropertyPage3() = default;

void CMyPropertyPage3::Load() {
    m_ui->taskCountEdit->setText(m_profile.GetText(Section::Parameter, Key::TaskCount));
    m_ui->jokeCountEdit->setText(m_profile.GetText(Section::Parameter, Key::JokeCount));
}

void CMyPropertyPage3::Store(CProfile::Changes& changes) {
    changes.WriteText(Section::Parameter, Key::TaskCount, m_ui->taskCountEdit->text());
    changes.WriteText(Section::Parameter, Key::JokeCount, m_ui->jokeCountEdit->text());
}

int CMyPropertyPage3::HelpContext() {
    return Help::forTemplate(Help::CountsPageTemplate);
}
