#include "rewards/picturerewarddlg.h"

#include <QPainter>

#include "base/profile.h"
#include "base/settingskeys.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "rewards/rewardchoice.h"
#include "rewards/picturewords.h"
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
    // A screen reader reads what the picture shows as the window opens: the
    // one the first paint will choose, in the same second.
    describe(chosenPicture());

    if (m_profile.GetInt(Section::Parameter, Key::Sound, 0) != 0)
        PlaySoundFor(this, QStringLiteral("applaus.wav"));
    m_ui->okButton->setFocus();
}

CPictureRewardDlg::~CPictureRewardDlg() = default;

QString CPictureRewardDlg::chosenPicture() const {
    const int count = m_profile.GetInt(Section::Pictures, Key::Count, 0);
    if (count == 0)
        return {};
    return m_profile.GetText(Section::Pictures, QStringLiteral("Bild%1").arg(PickPictureNumber(count)));
}

void CPictureRewardDlg::describe(const QString& fileName) {
    const QString words = fileName.isEmpty() ? QString() : PictureWords(fileName);
    if (words != accessibleDescription())
        setAccessibleDescription(words);
}

void CPictureRewardDlg::paintEvent(QPaintEvent* /*event*/) {
    const QString fileName = chosenPicture();
    if (fileName.isNull())
        return;
    QPainter painter(this);
    // Described only once drawn: a picture that cannot be read shows nothing.
    describe(m_picture.draw(painter, fileName, rect()) ? fileName : QString());
}
