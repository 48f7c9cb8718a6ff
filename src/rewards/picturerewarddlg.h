#pragma once

#include <QDialog>
#include <QSize>

#include <memory>

#include "pictures/shownpicture.h"

class CProfile;

namespace Ui {
class CPictureRewardDlg;
}

// "Und jetzt ein hübsches Bild ": one of the pictures listed in section
// Bilder, drawn centred at its own size, with applause when sound is on.
// Every paint reseeds from the clock and reads its picture anew, so a
// repaint in a later second may show another one. The window's description
// says what the picture shown shows (PictureWords).
class CPictureRewardDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr QSize kOuterSize{620, 435};
    static constexpr int kButtonRowY = 350;

    explicit CPictureRewardDlg(CProfile& profile, QWidget* parent = nullptr);
    ~CPictureRewardDlg() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The file a paint now would show (Bilder/Bild<k>); null without pictures.
    QString chosenPicture() const;
    void describe(const QString& fileName);

    std::unique_ptr<Ui::CPictureRewardDlg> m_ui;
    CProfile& m_profile;
    ShownPicture m_picture{PictureFit::Centred, PictureTypes::BmpOrGif};
};
