#include "drill/limitdialog.h"

#include <QPushButton>

#include "kit/commandids.h"
#include "ui_limitdialog.h"

CLimitDialog::CLimitDialog(QString& value, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CLimitDialog>())
    , m_value(value) {
    m_ui->setupUi(this);
    setFixedSize(size());
    m_ui->field->setMaxLength(4);
    m_ui->field->setText(m_value);
    m_ui->field->setFocus();
    connect(m_ui->okButton, &QPushButton::clicked, this, &CLimitDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CLimitDialog::reject);
}

CLimitDialog::~CLimitDialog() = default;

void CLimitDialog::accept() {
    m_value = m_ui->field->text();
    done(Cmd::IdOk);
}

void CLimitDialog::reject() {
    done(Cmd::IdCancel);
}
