#pragma once

#include <QWidget>

class CProfile;

// The main window's client area: a grey fill with the picture named by
// "Hintergrundbild" centred on it, unscaled. The setting and the picture are
// read anew at every paint, so a new choice shows at the next one.
class Backdrop : public QWidget {
    Q_OBJECT

public:
    explicit Backdrop(CProfile& profile, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CProfile& m_profile;
};
