#include "shell/infodlg.h"

#include <QPushButton>

#include "base/version.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "ui_infodlg.h"

CInfoDlg::CInfoDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CInfoDlg>()) {
    m_ui->setupUi(this);
    m_ui->version->setText(QStringLiteral("Ollo, Version " OLLO_VERSION));
    connect(m_ui->okButton, &QPushButton::clicked, this, [this] { done(1); });
    AddHelpKey(this, Help::forCommand(Cmd::About));
}

CInfoDlg::~CInfoDlg() = default;

void CInfoDlg::reject() {
    done(2);
}
