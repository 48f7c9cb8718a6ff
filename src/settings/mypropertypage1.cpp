#include "settings/mypropertypage1.h"

#include <QRadioButton>

#include <array>

#include "base/profile.h"
#include "base/settingskeys.h"
#include "kit/helpcontexts.h"
#include "kit/radiostop.h"
#include "ui_mypropertypage1.h"

namespace {

constexpr int kNoReward = 3;

} // namespace

CMyPropertyPage1::CMyPropertyPage1(CProfile& profile, QWidget* parent)
    : QWidget(parent)
    , m_profile(profile)
    , m_ui(std::make_unique<Ui::CMyPropertyPage1>()) {
    m_ui->setupUi(this);
    MakeOneTabStop({m_ui->rewardPictures, m_ui->rewardJokes, m_ui->rewardRandom, m_ui->rewardNone});
}

CMyPropertyPage1::~CMyPropertyPage1() = default;

void CMyPropertyPage1::Load() {
    const std::array<QRadioButton*, 4> buttons = {m_ui->rewardPictures, m_ui->rewardJokes, m_ui->rewardRandom,
                                                  m_ui->rewardNone};
    const int value = m_profile.GetInt(Section::Parameter, Key::RewardType, kNoReward);
    if (value >= 0 && value < int(buttons.size())) {
        buttons[std::size_t(value)]->setChecked(true);
        return;
    }
    // Auto-exclusive buttons refuse to untick the last ticked one.
    for (QRadioButton* button : buttons) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void CMyPropertyPage1::Store(CProfile::Changes& changes) {
    const std::array<QRadioButton*, 4> buttons = {m_ui->rewardPictures, m_ui->rewardJokes, m_ui->rewardRandom,
                                                  m_ui->rewardNone};
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked())
            changes.WriteInt(Section::Parameter, Key::RewardType, int(i));
}

int CMyPropertyPage1::HelpContext() {
    return Help::forTemplate(Help::RewardTypePageTemplate);
}
