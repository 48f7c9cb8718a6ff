#pragma once

#include <QDialog>

#include <memory>

class CProfile;
namespace Ui {
class CSoundDlg;
}

// "Sound": the one switch of all sound output, "Parameter"/"Sound". Any stored
// value other than 0 counts as on and shows ticked; OK stores exactly 1 or 0
// (refused, the dialog says so and stays open), and leaving any other way
// stores nothing.
class CSoundDlg : public QDialog {
    Q_OBJECT

public:
    explicit CSoundDlg(CProfile& profile, QWidget* parent = nullptr);
    ~CSoundDlg() override;

    void accept() override;

private:
    CProfile& m_profile;
    std::unique_ptr<Ui::CSoundDlg> m_ui;
};
