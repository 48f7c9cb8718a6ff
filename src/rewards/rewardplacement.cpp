#include "rewards/rewardplacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

RewardPlacement::RewardPlacement(QWidget* dialog, QSize outerSize)
    : QObject(dialog)
    , m_dialog(dialog)
    , m_outerSize(outerSize) {
    place(QMargins());
    dialog->installEventFilter(this);
}

QMargins RewardPlacement::frameNow() const {
    const QWindow* window = m_dialog->windowHandle();
    return window && m_dialog->isVisible() ? window->frameMargins() : QMargins();
}

bool RewardPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_dialog) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowActivate:
            // The frame arrives with the window manager's first move of the window.
            if (const QMargins frame = frameNow(); frame != m_placedWith)
                place(frame);
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void RewardPlacement::place(const QMargins& frame) {
    m_placedWith = frame;
    m_dialog->setFixedSize(m_outerSize.shrunkBy(frame));

    const QWidget* owner = m_dialog->parentWidget() ? m_dialog->parentWidget()->window() : nullptr;
    const bool overOwner = owner && owner->isVisible() && !owner->isMinimized();
    QScreen* screen = overOwner ? owner->screen() : m_dialog->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QRect around = overOwner ? owner->frameGeometry() : area;

    int left = (around.left() + around.right() + 1) / 2 - m_outerSize.width() / 2;
    int top = (around.top() + around.bottom() + 1) / 2 - m_outerSize.height() / 2;
    if (area.isValid()) {
        left = std::max(std::min(left, area.right() + 1 - m_outerSize.width()), area.left());
        top = std::max(std::min(top, area.bottom() + 1 - m_outerSize.height()), area.top());
    }
    m_dialog->move(left, top); // a window's position is that of its frame
}
