#pragma once

#include <QRect>
#include <QSize>

// Where the help window goes when a dialog asks for it, in screen
// coordinates. It leaves free, as far as the screen's area allows, the whole
// dialog; else its task (a drill's task line and answer, empty elsewhere)
// together with its button row; else the task alone; without a task, the
// button row. The first with room beside, below or above it for a window of
// at least `smallest` wins, at up to the preferred size; of its places the
// largest. Where none has room, a window of `smallest` goes where it covers
// the least of the task, or of the buttons. All rectangles are outer ones,
// frames included.
QRect HelpPlacement(const QRect& dialog, const QRect& task, const QRect& buttonRow, const QRect& area,
                    QSize preferred, QSize smallest);
