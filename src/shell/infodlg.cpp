#include "shell/infodlg.h"

#include <QPushButton>

#include "ui_infodlg.h"

CInfoDlg::CInfoDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::InfoDlg>()) {
    m_ui->setupUi(this);
    connect(m_ui->okButton, &QPushButton::clicked, this, [this] { done(1); });
}

CInfoDlg::~CInfoDlg() = default;

void CInfoDlg::reject() {
    done(2);
}
