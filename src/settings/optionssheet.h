#pragma once

#include <QDialog>

#include <array>
#include <functional>

class CMyPropertyPage1;
class CMyPropertyPage3;
class CMyPropertyPage4;
class CProfile;
class QPushButton;
class QTabWidget;

// "Einstellungen": the reward type, the counts and the main window's backdrop
// on three tabs. A page loads when its tab is first shown; OK stores the pages
// shown so far in one write (refused, the sheet says so and stays open); "Abbruch", Esc and the close box
// store nothing. "Hilfe" opens the current page's help topic and stores nothing.
// The first stop, the row of tabs, shows its focus mark at once.
class COptionsSheet : public QDialog {
    Q_OBJECT

public:
    explicit COptionsSheet(CProfile& profile, QWidget* parent = nullptr);
    ~COptionsSheet() override;

    // The command "Einstellungen": runs the sheet; afterwards, however it was
    // left, a raised "Parameter"/"Changed" repaints the main window (through
    // repaintMainWindow) and is cleared.
    static int Run(CProfile& profile, QWidget* parent, const std::function<void()>& repaintMainWindow);

    void accept() override;

private:
    void onPageShown(int index);
    void onHelp();

    CProfile& m_profile;
    QTabWidget* m_tabs = nullptr;
    CMyPropertyPage1* m_rewardPage = nullptr;
    CMyPropertyPage3* m_countsPage = nullptr;
    CMyPropertyPage4* m_backgroundPage = nullptr;
    std::array<bool, 3> m_shown = {false, false, false};
};
