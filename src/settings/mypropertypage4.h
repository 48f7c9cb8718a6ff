#pragma once

#include <QString>
#include <QWidget>

#include <memory>

#include "base/profile.h"

namespace Ui {
class CMyPropertyPage4;
}

// "Hintergrundbild": the main window's backdrop. The list offers the pictures
// "Bilder"/"Bild1" to "Bild<AnzahlHinter>", "Setzen" takes the selected one
// into the label, and OK stores the label as "Parameter"/"Hintergrundbild" and
// raises "Parameter"/"Changed" so that the main window repaints.
class CMyPropertyPage4 : public QWidget {
    Q_OBJECT

public:
    explicit CMyPropertyPage4(CProfile& profile, QWidget* parent = nullptr);
    ~CMyPropertyPage4() override;

    // A missing "Hintergrundbild" shows "maus.bmp", the backdrop the main
    // window draws without it; a stored name, also an empty one, shows as it is.
    void Load();
    // Stores the label and sets "Changed" to 1, on every OK, changed or not.
    void Store(CProfile::Changes& changes);
    static int HelpContext();

private:
    void onSet();

    CProfile& m_profile;
    std::unique_ptr<Ui::CMyPropertyPage4> m_ui;
    QString m_name; // the name last taken over with "Setzen"
    int m_listCount = 0;
};
