#pragma once

#include <QSize>

class QWidget;

// The reward dialogs give their size as the outer size of the window, frame
// included, and sit centred over their owner (the main window), or over the
// screen's available area when the owner is hidden or minimised, kept inside
// that area. Where the window system reports no frame (yet), the client area
// takes the whole size; call again once the window is shown.
void PlaceRewardDialog(QWidget* dialog, QSize outerSize);
