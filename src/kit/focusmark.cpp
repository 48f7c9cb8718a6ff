#include "kit/focusmark.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPen>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace {

class ButtonFocusStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element != CE_PushButton || !(option->state & State_HasFocus) ||
            !(option->state & State_KeyboardFocusChange))
            return;
        painter->save();
        painter->setPen(QPen(option->palette.color(QPalette::ButtonText), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(4, 4, -5, -5));
        painter->restore();
    }
};

} // namespace

void FocusMark::ShowFromTheStart(QWidget* window) {
    auto* mark = new FocusMark(window);
    window->installEventFilter(mark);
    auto* style = new ButtonFocusStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(mark);
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->setStyle(style);
}

bool FocusMark::eventFilter(QObject* watched, QEvent* event) {
    // Each time the window comes to the front, after its focus was set.
    if (event->type() == QEvent::WindowActivate) {
        auto* window = static_cast<QWidget*>(watched);
        window->setAttribute(Qt::WA_KeyboardFocusChange);
        if (QWidget* focus = window->focusWidget())
            focus->update();
    }
    return QObject::eventFilter(watched, event);
}
