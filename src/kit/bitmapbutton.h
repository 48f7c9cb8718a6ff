#pragma once

#include <QImage>
#include <QPushButton>

// A push button drawn from pictures: an up face, and optionally down, focus
// and disabled faces, loaded by name from the program's bitmaps (":/bitmaps/
// <NAME>.bmp"). In a form the button is placed with the caption that names its
// faces ("OK" → "OKU", "OKD", "OKF", "OKX"); AttachByCaption loads them and
// sizes the button to its up face. Only the chosen face is drawn: no text, no
// focus frame, no greying. Clicking, the space bar and the clicked() signal
// are those of any push button, with or without faces. The accessible name is
// the word the up face shows ("Weiter" for "NEXTU"), not the caption.
class CBitmapButton : public QPushButton {
    Q_OBJECT

public:
    explicit CBitmapButton(QWidget* parent = nullptr);

    // Loads the faces named after the caption and takes the up face's size,
    // keeping the top-left corner. False (and the size kept) without an up face.
    bool AttachByCaption();
    // Drops the faces held so far and loads the named ones; empty names are
    // allowed for down, focus and disabled. True only if every face asked for
    // was loaded; false at once without an up face. Does not repaint: a caller
    // that swaps the faces of a visible button calls update().
    bool LoadFaces(const QString& up, const QString& down = {}, const QString& focus = {},
                   const QString& disabled = {});
    // The up face's size, keeping the top-left corner.
    void SizeToFace();

    QSize sizeHint() const override;

    // The face the current state shows: down while pressed, else focus while
    // focused, else disabled while disabled, each only if loaded; else up.
    // Null when there is no up face.
    const QImage& currentFace() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_up;
    QImage m_down;
    QImage m_focus;
    QImage m_disabled;
};
