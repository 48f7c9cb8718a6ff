#pragma once

#include <QDialog>
#include <QFont>
#include <QSize>
#include <QStringList>

#include <memory>

#include "pictures/shownpicture.h"

class CProfile;

namespace Ui {
class CJokeRewardDlg;
}

// "Und jetzt ein lustiger Witz !": one joke file, chosen once on opening and
// written line by line over "joke.bmp", with laughter when a joke was loaded
// and sound is on. Without the backdrop picture neither it nor the text is
// drawn. Screen readers get the joke as the window's description.
class CJokeRewardDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr QSize kOuterSize{630, 440};
    static constexpr int kButtonRowY = 350;
    // Where the first line's top-left corner goes, and the gap between lines.
    static constexpr int kTextLeft = 75;
    static constexpr int kTextTop = 100;
    static constexpr int kLineGap = 3;

    explicit CJokeRewardDlg(CProfile& profile, QWidget* parent = nullptr);
    ~CJokeRewardDlg() override;

    // "Arial", its character cell 25 pixels high.
    const QFont& textFont() const { return m_font; }
    // The lines in file order; empty when no joke was loaded.
    const QStringList& jokeLines() const { return m_lines; }
    // The height of "W" in the text font, in pixels: one line's advance is
    // this plus kLineGap.
    int lineHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<Ui::CJokeRewardDlg> m_ui;
    CProfile& m_profile;
    QFont m_font;
    int m_jokeCount = 0;
    QStringList m_lines;
    ShownPicture m_backdrop{PictureFit::TopLeft, PictureTypes::Bmp};
};
