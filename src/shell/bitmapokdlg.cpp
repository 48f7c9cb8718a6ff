#include "shell/bitmapokdlg.h"

#include "kit/bitmapbutton.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"

#include "ui_bitmapokdlg160.h"

CBitmapOkDlg::CBitmapOkDlg(int templateId, QWidget* parent)
    : QDialog(parent)
    , m_templateId(templateId)
    , m_ui(std::make_unique<Ui::CBitmapOkDlg>()) {
    // Template 160 is the only one the program has.
    m_ui->setupUi(this);
    m_ui->button1->AttachByCaption();
    m_ui->button1->setFocus();
    connect(m_ui->button1, &QPushButton::clicked, this, [this] { done(1); });
    AddHelpKey(this, Help::forCommand(Cmd::Contact));
}

CBitmapOkDlg::~CBitmapOkDlg() = default;

void CBitmapOkDlg::reject() {
    done(2);
}
