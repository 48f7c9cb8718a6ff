#pragma once

#include <QMargins>
#include <QObject>
#include <QSize>

class QWidget;

// Keeps a reward dialog at its outer size, frame included, centred over its
// owner (the main window), or over the screen's available area when the owner
// is hidden or minimised, kept inside that area. The window manager's frame is
// known only some time after the window is shown; the dialog is placed again
// whenever the frame it reports differs from the one placed with, and only
// then, so minimising and restoring it changes neither its size nor its place.
class RewardPlacement : public QObject {
    Q_OBJECT

public:
    // Places the dialog at once and watches it; a child of the dialog.
    RewardPlacement(QWidget* dialog, QSize outerSize);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMargins frameNow() const;
    void place(const QMargins& frame);

    QWidget* m_dialog;
    QSize m_outerSize;
    QMargins m_placedWith{-1, -1, -1, -1};
};
