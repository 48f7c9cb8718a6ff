#include "kit/bitmapbutton.h"

#include <QPainter>

#include <array>
#include <utility>

#include "pictures/picturefile.h"

namespace {

QImage loadFace(const QString& name) {
    if (name.isEmpty())
        return {};
    return ReadDIB(QStringLiteral(":/bitmaps/%1.bmp").arg(name)).image();
}

// The word each up face shows, for screen readers; empty for faces without
// a word, where the reader falls back to the caption.
QString spokenName(const QString& upFace) {
    static const std::array<std::pair<const char*, const char*>, 8> words = {{
        {"OKU", "OK"},
        {"OK2U", "OK"},
        {"NEXTU", "Weiter"},
        {"CANCELU", "Ende"},
        {"CANCEL2U", "Ende"},
        {"HELPBUTTONU", "Hilfe"},
        {"LOESENU", "Lösen"},
        {"NOCHMALSU", "Nochmal"},
    }};
    for (const auto& [face, word] : words)
        if (upFace == QLatin1String(face))
            return QString::fromUtf8(word);
    return {};
}

} // namespace

CBitmapButton::CBitmapButton(QWidget* parent)
    : QPushButton(parent) {
}

bool CBitmapButton::AttachByCaption() {
    const QString stem = text();
    LoadFaces(stem + u'U', stem + u'D', stem + u'F', stem + u'X');
    if (m_up.isNull())
        return false;
    SizeToFace();
    return true;
}

bool CBitmapButton::LoadFaces(const QString& up, const QString& down, const QString& focus,
                              const QString& disabled) {
    m_up = m_down = m_focus = m_disabled = QImage();
    m_up = loadFace(up);
    setAccessibleName(m_up.isNull() ? QString() : spokenName(up));
    if (m_up.isNull())
        return false;
    bool all = true;
    for (auto [face, name] : {std::pair{&m_down, &down}, {&m_focus, &focus}, {&m_disabled, &disabled}}) {
        *face = loadFace(*name);
        all = all && (name->isEmpty() || !face->isNull());
    }
    return all;
}

void CBitmapButton::SizeToFace() {
    if (m_up.isNull())
        return;
    resize(m_up.size());
    updateGeometry();
}

QSize CBitmapButton::sizeHint() const {
    return m_up.isNull() ? QPushButton::sizeHint() : m_up.size();
}

const QImage& CBitmapButton::currentFace() const {
    if (isDown() && !m_down.isNull())
        return m_down;
    if (hasFocus() && !m_focus.isNull())
        return m_focus;
    if (!isEnabled() && !m_disabled.isNull())
        return m_disabled;
    return m_up;
}

void CBitmapButton::paintEvent(QPaintEvent*) {
    const QImage& face = currentFace();
    if (face.isNull())
        return;
    // A straight copy; on a scaled screen every face pixel becomes a block.
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), face);
}
