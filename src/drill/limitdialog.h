#pragma once

#include <QDialog>

#include <memory>

class QString;
namespace Ui {
class CLimitDialog;
}

// "Aufgaben bis ?": asks a "Beliebige Reihe" drill for its series number, at
// most four digits. Result 1 (OK) writes the field's text to the caller's
// string; 2 (Abbruch, Escape, close box) leaves it as it was.
class CLimitDialog : public QDialog {
    Q_OBJECT

public:
    // value: on entry the text to show, on OK the confirmed text.
    explicit CLimitDialog(QString& value, QWidget* parent = nullptr);
    ~CLimitDialog() override;

    void accept() override;
    void reject() override;

private:
    std::unique_ptr<Ui::CLimitDialog> m_ui;
    QString& m_value;
};
