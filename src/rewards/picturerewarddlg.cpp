#include "rewards/picturerewarddlg.h"

#include <QPainter>

#include "base/profile.h"
#include "base/settingskeys.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "rewards/rewardchoice.h"
#include "rewards/rewardplacement.h"
#include "ui_picturerewarddlg.h"

CPictureRewardDlg::CPictureRewardDlg(CProfile& profile, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CPictureRewardDlg>())
    , m_profile(profile) {
    m_ui->setupUi(this);
    new RewardPlacement(this, kOuterSize);

    m_ui->okButton->AttachByCaption();
    // The button is centred on 600 pixels, not on the client width.
    m_ui->okButton->move((600 - m_ui->okButton->width()) / 2, kButtonRowY);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    AddHelpKey(this, Help::forTemplate(Help::PictureRewardTemplate));
    // The picture is chosen anew at every paint, so it is not named.
    setAccessibleDescription(QString::fromUtf8("Ein buntes Bild zur Belohnung."));

    if (m_profile.GetInt(Section::Parameter, Key::Sound, 0) != 0)
        PlaySoundFor(this, QStringLiteral("applaus.wav"));
    m_ui->okButton->setFocus();
}

CPictureRewardDlg::~CPictureRewardDlg() = default;

void CPictureRewardDlg::paintEvent(QPaintEvent* /*event*/) {
    const QString section = Section::Pictures;
    const int count = m_profile.GetInt(section, Key::Count, 0);
    if (count == 0)
        return;
    const int k = PickPictureNumber(count);
    QPainter painter(this);
    m_picture.draw(painter, m_profile.GetText(section, QStringLiteral("Bild%1").arg(k)), rect());
}
