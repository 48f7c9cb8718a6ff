#pragma once

#include <QCollator>
#include <QDialog>

#include <memory>

class CProfile;
class QString;
namespace Ui {
class CPraiseListDlg;
}

// "Eigene Lobe eingeben": the user's praise phrases in a list kept in
// alphabetical order without regard to case. The list is the working copy:
// OK writes it whole in one write (Lob1.. in list order, then Anzahl; refused,
// the dialog says so and stays open); Abbruch, Escape and the close box write
// nothing. Phrases hold at most 34 characters, each one
// that the settings file's Windows-1252 text can store.
class CPraiseListDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPraiseListDlg(CProfile& profile, QWidget* parent = nullptr);
    ~CPraiseListDlg() override;

    void accept() override;
    void reject() override;

private:
    // Puts the phrase at its sorted place, after any phrase that sorts equal.
    void insertSorted(const QString& phrase);
    void onAdd();
    void onDelete();
    void onHelp();

    std::unique_ptr<Ui::CPraiseListDlg> m_ui;
    CProfile& m_profile;
    QCollator m_collator;
};
