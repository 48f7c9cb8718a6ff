#include "rewards/jokerewarddlg.h"

#include <QFontMetrics>
#include <QPainter>

#include "base/profile.h"
#include "base/settingskeys.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "kit/typefaces.h"
#include "rewards/jokefile.h"
#include "rewards/rewardchoice.h"
#include "rewards/rewardplacement.h"
#include "ui_jokerewarddlg.h"

namespace {

// "Arial" with a character cell 25 pixels high, as the drill's fonts take
// their height; nine lines then fit above the button row.
QFont jokeFont() {
    QFont font(DrillFamily(QStringLiteral("Arial")));
    font.setPixelSize(PixelSizeForCellHeight(font, 25));
    return font;
}

} // namespace

CJokeRewardDlg::CJokeRewardDlg(CProfile& profile, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CJokeRewardDlg>())
    , m_profile(profile)
    , m_font(jokeFont()) {
    m_ui->setupUi(this);
    new RewardPlacement(this, kOuterSize);

    m_ui->okButton->AttachByCaption();
    // The button is centred on 640 pixels, not on the client width.
    m_ui->okButton->move((640 - m_ui->okButton->width()) / 2, kButtonRowY);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    AddHelpKey(this, Help::forTemplate(Help::JokeRewardTemplate));
    m_ui->okButton->setFocus();

    const QString section = Section::Parameter;
    m_jokeCount = m_profile.GetInt(section, Key::JokeCount, 0);
    const int jokeNumber = PickJokeNumber(m_jokeCount);
    if (jokeNumber == 0)
        return;
    // Only what the card shows is read: a line whose top is still on it.
    const int advance = lineHeight() + kLineGap;
    std::optional<QStringList> lines =
        LoadJoke(jokeNumber, (kOuterSize.height() - kTextTop + advance - 1) / advance);
    if (!lines)
        return;
    m_lines = std::move(*lines);
    // The joke is painted, so a screen reader gets it as text, read once as
    // the window opens.
    setAccessibleDescription(m_lines.join(u' ').simplified());
    if (m_profile.GetInt(section, Key::Sound, 0) != 0)
        PlaySoundFor(this, QStringLiteral("lachen.wav"));
}

CJokeRewardDlg::~CJokeRewardDlg() = default;

int CJokeRewardDlg::lineHeight() const {
    // The height a text extent reports is the font's cell height, whatever
    // the letter.
    return QFontMetrics(m_font).height();
}

void CJokeRewardDlg::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (!m_backdrop.draw(painter, QStringLiteral("joke.bmp"), rect()))
        return;

    // Black on a transparent background, each line's top-left corner placed.
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    const int ascent = QFontMetrics(m_font).ascent();
    const int advance = lineHeight() + kLineGap;
    int y = kTextTop;
    for (const QString& line : m_lines) {
        painter.drawText(kTextLeft, y + ascent, line);
        y += advance;
    }
}
