#include "rewards/rewardplacement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void PlaceRewardDialog(QWidget* dialog, QSize outerSize) {
    QMargins frame;
    if (dialog->isVisible()) {
        const QRect client = dialog->geometry();
        const QRect outer = dialog->frameGeometry();
        frame = QMargins(client.left() - outer.left(), client.top() - outer.top(),
                         outer.right() - client.right(), outer.bottom() - client.bottom());
    }
    dialog->setFixedSize(outerSize.shrunkBy(frame));

    const QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    const bool overOwner = owner && owner->isVisible() && !owner->isMinimized();
    QScreen* screen = overOwner ? owner->screen() : dialog->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QRect around = overOwner ? owner->frameGeometry() : area;

    int left = (around.left() + around.right() + 1) / 2 - outerSize.width() / 2;
    int top = (around.top() + around.bottom() + 1) / 2 - outerSize.height() / 2;
    if (area.isValid()) {
        left = std::max(std::min(left, area.right() + 1 - outerSize.width()), area.left());
        top = std::max(std::min(top, area.bottom() + 1 - outerSize.height()), area.top());
    }
    dialog->move(left, top); // a window's position is that of its frame
}
