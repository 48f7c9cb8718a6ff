#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CWrongAnswerDlg;
}

// "Oh! Oooooh!": shown after a wrong answer, in pictures only. Result 1 from
// "LOESEN" (which holds the focus, so Enter gives it) shows the solution;
// result 2 from "NOCHMALS", Escape or the close box tries the task again.
class CWrongAnswerDlg : public QDialog {
    Q_OBJECT

public:
    enum Choice { Solve = 1, TryAgain = 2 };

    explicit CWrongAnswerDlg(QWidget* parent = nullptr);
    // What its lettering asks, as one spoken sentence.
    static QString Question();
    ~CWrongAnswerDlg() override;

    void accept() override;
    void reject() override;

private:
    std::unique_ptr<Ui::CWrongAnswerDlg> m_ui;
};
