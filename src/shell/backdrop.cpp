#include "shell/backdrop.h"

#include <QColor>
#include <QPainter>

#include "base/profile.h"
#include "base/settingskeys.h"

Backdrop::Backdrop(CProfile& profile, QWidget* parent)
    : QWidget(parent)
    , m_profile(profile) {
    setObjectName(QStringLiteral("backdrop"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Hintergrundbild"));
}

void Backdrop::paintEvent(QPaintEvent*) {
    const QString name = m_profile.GetText(Section::Parameter, Key::Backdrop, QStringLiteral("maus.bmp"));
    QPainter painter(this);
    painter.fillRect(rect(), QColor(128, 128, 128));
    m_picture.draw(painter, name, rect());
}
