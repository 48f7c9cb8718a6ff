#pragma once

#include <QWidget>

#include "pictures/shownpicture.h"

class CProfile;

// The main window's client area: a grey fill with the picture named by
// "Hintergrundbild" centred on it, unscaled. The setting is read at every
// paint and the picture kept while its file is unchanged, so a new choice or
// a new file shows at the next paint.
class Backdrop : public QWidget {
    Q_OBJECT

public:
    explicit Backdrop(CProfile& profile, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CProfile& m_profile;
    ShownPicture m_picture{PictureFit::Centred, PictureTypes::BmpOrGif};
};
