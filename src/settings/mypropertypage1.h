#pragma once

#include <QWidget>

#include <memory>

#include "base/profile.h"

namespace Ui {
class CMyPropertyPage1;
}

// "Belohnungsart": which reward follows a drill without a mistake, as
// "Parameter"/"Belohnungsart" (0 pictures, 1 jokes, 2 either at random, 3 none).
// The four buttons are one stop of the Tab order, on the ticked one.
class CMyPropertyPage1 : public QWidget {
    Q_OBJECT

public:
    explicit CMyPropertyPage1(CProfile& profile, QWidget* parent = nullptr);
    ~CMyPropertyPage1() override;

    // A missing key shows "Keine", which is what the reward step does without
    // it; 0 to 3 select their button, any other value selects none.
    void Load();
    // Writes the selected value; with none selected nothing is written.
    void Store(CProfile::Changes& changes);
    static int HelpContext();

private:
    CProfile& m_profile;
    std::unique_ptr<Ui::CMyPropertyPage1> m_ui;
};
