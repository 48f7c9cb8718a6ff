#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CInfoDlg;
}

// "Info über Ollo": the program icon, name, version and copyright.
class CInfoDlg : public QDialog {
    Q_OBJECT

public:
    explicit CInfoDlg(QWidget* parent = nullptr);
    ~CInfoDlg() override;

protected:
    // Esc and the close box end the dialog with result 2.
    void reject() override;

private:
    std::unique_ptr<Ui::CInfoDlg> m_ui;
};
