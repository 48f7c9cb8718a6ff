#include "shell/backdrop.h"

#include <QColor>
#include <QPainter>

#include "base/profile.h"
#include "base/settingskeys.h"
#include "pictures/picturefile.h"

Backdrop::Backdrop(CProfile& profile, QWidget* parent)
    : QWidget(parent)
    , m_profile(profile) {
    setObjectName(QStringLiteral("backdrop"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Hintergrundbild"));
}

void Backdrop::paintEvent(QPaintEvent*) {
    const QString name = m_profile.GetText(Section::Parameter, Key::Backdrop, QStringLiteral("maus.bmp"));
    const PictureHandle picture = name.isEmpty() ? PictureHandle() : ReadBmpOrGif(name);

    QPainter painter(this);
    painter.fillRect(rect(), QColor(128, 128, 128));
    if (picture) {
        // Integer division truncates toward zero: a picture wider than the
        // window by an odd number loses one pixel less on the left.
        const int x = (width() - GetDIBWidth(picture)) / 2;
        const int y = (height() - GetDIBHeight(picture)) / 2;
        DrawDIB(painter, picture, x, y);
    }
}
