#pragma once

#include <QRect>
#include <QSize>

// Where the help window goes when a dialog asks for it, in screen
// coordinates: beside the dialog where a window of at least `smallest` fits
// in the screen's area, else at up to its preferred size where it leaves the
// dialog's button row free, so OK, Abbruch and Hilfe stay in reach. Of the
// places that fit, the largest wins. An empty rectangle: nothing fits, the
// window manager decides. All rectangles are outer ones, frames included.
QRect HelpPlacement(const QRect& dialog, const QRect& buttonRow, const QRect& area, QSize preferred,
                    QSize smallest);
