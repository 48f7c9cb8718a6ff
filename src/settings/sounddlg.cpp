#include "settings/sounddlg.h"

#include <QCheckBox>

#include "base/profile.h"
#include "base/settingskeys.h"
#include "kit/bitmapbutton.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "ui_sounddlg.h"

CSoundDlg::CSoundDlg(CProfile& profile, QWidget* parent)
    : QDialog(parent)
    , m_profile(profile)
    , m_ui(std::make_unique<Ui::CSoundDlg>()) {
    m_ui->setupUi(this);
    setFixedSize(size());
    m_ui->button1->AttachByCaption();
    m_ui->button2->AttachByCaption();
    connect(m_ui->button1, &QPushButton::clicked, this, &CSoundDlg::accept);
    connect(m_ui->button2, &QPushButton::clicked, this, &CSoundDlg::reject);
    AddHelpKey(this, Help::forCommand(Cmd::Sound));
    m_ui->soundCheck->setChecked(m_profile.GetInt(Section::Parameter, Key::Sound, 0) != 0);
    m_readAloudAtOpening = m_profile.GetInt(Section::Parameter, Key::ReadAloud, 0) != 0;
    m_ui->readAloudCheck->setChecked(m_readAloudAtOpening);
    showSpeech(FindSpeechFor(this, [this](const SpeechStatus& status) { showSpeech(status); }));
}

CSoundDlg::~CSoundDlg() = default;

void CSoundDlg::showSpeech(const SpeechStatus& status) {
    const bool ready = status.state == SpeechStatus::State::Ready;
    m_ui->readAloudCheck->setEnabled(ready);
    m_ui->readAloudCheck->setToolTip(
        ready ? QString::fromUtf8("Liest jede Aufgabe vor, dazu das Lob und die Lösung.") : status.reason);
}

void CSoundDlg::accept() {
    if (!m_profile.WriteInt(Section::Parameter, Key::Sound, m_ui->soundCheck->isChecked() ? 1 : 0)) {
        ReportNotStored(this, m_profile.WriteError());
        return;
    }
    const bool readAloud = m_ui->readAloudCheck->isChecked();
    if (readAloud != m_readAloudAtOpening &&
        !m_profile.WriteInt(Section::Parameter, Key::ReadAloud, readAloud ? 1 : 0)) {
        ReportNotStored(this, m_profile.WriteError());
        return;
    }
    QDialog::accept();
}
