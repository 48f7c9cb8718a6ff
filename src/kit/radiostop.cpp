#include "kit/radiostop.h"

#include <QRadioButton>

#include <algorithm>

namespace {

void placeStop(const QList<QRadioButton*>& group) {
    const auto ticked =
        std::find_if(group.begin(), group.end(), [](QRadioButton* b) { return b->isChecked(); });
    const QRadioButton* stop = ticked != group.end() ? *ticked : group.value(0);
    // The arrows still reach every button: Qt moves among auto-exclusive
    // buttons whatever their focus policy, and ticks the next one when the
    // one left was ticked.
    for (QRadioButton* button : group)
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace

void MakeOneTabStop(const QList<QRadioButton*>& group) {
    placeStop(group);
    for (QRadioButton* button : group)
        QObject::connect(button, &QRadioButton::toggled, button, [group] { placeStop(group); });
}
