#include "settings/sounddlg.h"

#include <QCheckBox>
#include <QLabel>

#include "base/profile.h"
#include "base/settingskeys.h"
#include "kit/bitmapbutton.h"
#include "kit/commandids.h"
#include "kit/focusmark.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "ui_sounddlg.h"

CSoundDlg::CSoundDlg(CProfile& profile, QWidget* parent)
    : QDialog(parent)
    , m_profile(profile)
    , m_ui(std::make_unique<Ui::CSoundDlg>()) {
    m_ui->setupUi(this);
    showSoundUnavailable(SoundUnavailableFor(this));
    setFixedSize(size());
    m_ui->button1->AttachByCaption();
    m_ui->button2->AttachByCaption();
    connect(m_ui->button1, &QPushButton::clicked, this, &CSoundDlg::accept);
    connect(m_ui->button2, &QPushButton::clicked, this, &CSoundDlg::reject);
    AddHelpKey(this, Help::forCommand(Cmd::Sound));
    FocusMark::ShowFromTheStart(this);
    m_ui->soundCheck->setChecked(m_profile.GetInt(Section::Parameter, Key::Sound, 0) != 0);
    m_readAloudAtOpening = m_profile.GetInt(Section::Parameter, Key::ReadAloud, 0) != 0;
    m_readAloud = m_readAloudAtOpening;
    // Only a click or the space bar changes the wish; greying does not.
    connect(m_ui->readAloudCheck, &QCheckBox::clicked, this, [this](bool ticked) { m_readAloud = ticked; });
    showSpeech(FindSpeechFor(this, [this](const SpeechStatus& status) { showSpeech(status); }));
}

CSoundDlg::~CSoundDlg() = default;

// Below the buttons and the speech line, the dialog grown to hold it; the
// switch keeps its value.
void CSoundDlg::showSoundUnavailable(const QString& reason) {
    if (reason.isEmpty())
        return;
    constexpr int margin = 10;
    auto* note = new QLabel(QString::fromUtf8("Ton ist nicht verfügbar. %1").arg(reason), this);
    note->setObjectName(QStringLiteral("soundUnavailable"));
    note->setWordWrap(true);
    const int top = m_ui->readAloudReason->geometry().bottom() + margin;
    const int width = this->width() - 2 * margin;
    note->setGeometry(margin, top, width, note->heightForWidth(width));
    resize(this->width(), note->geometry().bottom() + margin);
    m_ui->soundCheck->setToolTip(note->text());
}

void CSoundDlg::showSpeech(const SpeechStatus& status) {
    const bool ready = status.state == SpeechStatus::State::Ready;
    m_ui->readAloudCheck->setEnabled(ready);
    // Greyed, the switch shows no tick: nothing would be read.
    m_ui->readAloudCheck->setChecked(ready && m_readAloud);
    const QString why =
        ready ? QString::fromUtf8("Liest jede Aufgabe vor, dazu das Lob und die Lösung.") : status.reason;
    m_ui->readAloudCheck->setToolTip(why);
    // Said in a line too: a greyed switch takes no focus, shows no tooltip
    // to the keyboard, and a screen reader reads the line with the window.
    m_ui->readAloudReason->setText(why);
}

void CSoundDlg::accept() {
    if (!m_profile.WriteInt(Section::Parameter, Key::Sound, m_ui->soundCheck->isChecked() ? 1 : 0)) {
        ReportNotStored(this, m_profile.WriteError());
        return;
    }
    if (m_readAloud != m_readAloudAtOpening &&
        !m_profile.WriteInt(Section::Parameter, Key::ReadAloud, m_readAloud ? 1 : 0)) {
        ReportNotStored(this, m_profile.WriteError());
        return;
    }
    QDialog::accept();
}
