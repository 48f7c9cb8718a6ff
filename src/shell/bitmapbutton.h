#pragma once

#include <QImage>
#include <QPushButton>

// A push button drawn from pictures: an up face, and optionally down, focus
// and disabled faces, loaded by name from the program's bitmaps (":/bitmaps/
// <NAME>.bmp"). In a form the button is placed with the caption that names its
// faces ("OK" → "OKU", "OKD", "OKF", "OKX"); AttachByCaption loads them and
// sizes the button to its up face. Only the chosen face is drawn: no text, no
// focus frame, no greying.
class CBitmapButton : public QPushButton {
    Q_OBJECT

public:
    explicit CBitmapButton(QWidget* parent = nullptr);

    // Loads the faces named after the caption and takes the up face's size,
    // keeping the top-left corner. False (and the size kept) without an up face.
    bool AttachByCaption();
    // Drops the faces held so far and loads the named ones; empty names are
    // allowed for down, focus and disabled. True only if every face asked for
    // was loaded. Does not repaint.
    bool LoadFaces(const QString& up, const QString& down = {}, const QString& focus = {},
                   const QString& disabled = {});
    // The up face's size, keeping the top-left corner.
    void SizeToFace();

    QSize sizeHint() const override;

    // The face that the current state shows (null when there is none).
    const QImage& currentFace() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_up;
    QImage m_down;
    QImage m_focus;
    QImage m_disabled;
};
