#pragma once

#include <QList>

class QRadioButton;

// Auto-exclusive radio buttons as one stop of the Tab order, as a keyboard
// user expects them: Tab lands on the ticked button (the first one while none
// is ticked), and the arrows move on and tick as they go, so that what the
// keyboard points at is what OK stores.
void MakeOneTabStop(const QList<QRadioButton*>& group);
