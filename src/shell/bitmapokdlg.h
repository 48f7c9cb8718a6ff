#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CBitmapOkDlg;
}

// A dialog whose only button is the bitmap OK button. Template 160 is the
// contact box "Fragen und Probleme ?": whom to ask, with the light bulb.
class CBitmapOkDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int ContactTemplate = 160;

    explicit CBitmapOkDlg(int templateId, QWidget* parent = nullptr);
    ~CBitmapOkDlg() override;

    int templateId() const { return m_templateId; }

protected:
    // Esc and the close box end the dialog with result 2.
    void reject() override;

private:
    int m_templateId = 0;
    std::unique_ptr<Ui::CBitmapOkDlg> m_ui;
};
