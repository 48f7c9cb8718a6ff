#pragma once

#include <QWidget>

#include <memory>

#include "base/profile.h"

namespace Ui {
class CMyPropertyPage3;
}

// "Witze-/Aufgabenanzahl": the tasks of one drill ("Aufgaben") and the number
// of joke files ("Witze"), both kept as the text typed; their readers take the
// leading digits.
class CMyPropertyPage3 : public QWidget {
    Q_OBJECT

public:
    explicit CMyPropertyPage3(CProfile& profile, QWidget* parent = nullptr);
    ~CMyPropertyPage3() override;

    void Load();
    // Stores both fields exactly as they stand, checked for nothing.
    void Store(CProfile::Changes& changes);
    static int HelpContext();

private:
    CProfile& m_profile;
    std::unique_ptr<Ui::CMyPropertyPage3> m_ui;
};
