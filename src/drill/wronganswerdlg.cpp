#include "drill/wronganswerdlg.h"

#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "ui_wronganswerdlg.h"

CWrongAnswerDlg::CWrongAnswerDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CWrongAnswerDlg>()) {
    m_ui->setupUi(this);
    setFixedSize(size());
    // A screen reader says this when the dialog opens, after its title.
    setAccessibleDescription(Question());
    m_ui->solveButton->AttachByCaption();
    m_ui->againButton->AttachByCaption();
    m_ui->solveButton->setFocus();
    connect(m_ui->solveButton, &QPushButton::clicked, this, &CWrongAnswerDlg::accept);
    connect(m_ui->againButton, &QPushButton::clicked, this, &CWrongAnswerDlg::reject);
    AddHelpKey(this, Help::forTemplate(Help::WrongAnswerTemplate));
}

CWrongAnswerDlg::~CWrongAnswerDlg() = default;

QString CWrongAnswerDlg::Question() {
    return QString::fromUtf8(
        "Das ist leider nicht ganz richtig! Willst es nochmals versuchen oder soll ich lösen?");
}

void CWrongAnswerDlg::accept() {
    done(Solve);
}

void CWrongAnswerDlg::reject() {
    done(TryAgain);
}
