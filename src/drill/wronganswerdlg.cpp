#include "drill/wronganswerdlg.h"

#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "ui_wronganswerdlg.h"

CWrongAnswerDlg::CWrongAnswerDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CWrongAnswerDlg>()) {
    m_ui->setupUi(this);
    setFixedSize(size());
    m_ui->solveButton->AttachByCaption();
    m_ui->againButton->AttachByCaption();
    m_ui->solveButton->setFocus();
    connect(m_ui->solveButton, &QPushButton::clicked, this, &CWrongAnswerDlg::accept);
    connect(m_ui->againButton, &QPushButton::clicked, this, &CWrongAnswerDlg::reject);
    AddHelpKey(this, Help::forTemplate(Help::WrongAnswerTemplate));
}

CWrongAnswerDlg::~CWrongAnswerDlg() = default;

void CWrongAnswerDlg::accept() {
    done(Solve);
}

void CWrongAnswerDlg::reject() {
    done(TryAgain);
}
