#include "pictures/shownpicture.h"

#include <QPaintDevice>
#include <QPainter>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

qint64 ceilDiv(qint64 a, qint64 b) {
    return (a + b - 1) / b;
}

// A stretched picture is decoded and then reduced: each may take half.
constexpr qint64 kStretchedPixels = kMaxShownPixels / 2;

// The smallest step from `from` on that keeps a sampled size within limit.
int stepWithinLimit(QSize size, int from, qint64 limit) {
    int step = std::max(1, from);
    while (ceilDiv(size.width(), step) * ceilDiv(size.height(), step) > limit)
        ++step;
    return step;
}

qint64 wallClockNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// The device pixels a stretched picture covers, within the limit.
QSize stretchTarget(QSize area, qreal ratio) {
    QSize target = (QSizeF(area) * ratio).toSize().expandedTo(QSize(1, 1));
    const qint64 pixels = qint64(target.width()) * target.height();
    if (pixels > kStretchedPixels)
        target = (QSizeF(target) * std::sqrt(double(kStretchedPixels) / double(pixels))).toSize();
    return target.expandedTo(QSize(1, 1));
}

void reportOnce(const QString& fileName, const QString& why) {
    static QSet<QString> said;
    const QString key = fileName + QLatin1Char('\n') + why;
    if (said.contains(key))
        return;
    // A file that keeps changing could bring ever new reasons.
    if (said.size() >= 1000)
        said.clear();
    said.insert(key);
    qWarning("Ollo: picture %s not shown: %s", qUtf8Printable(fileName), qUtf8Printable(why));
}

} // namespace

ShownPicture::ShownPicture(PictureFit fit, PictureTypes types)
    : m_fit(fit)
    , m_types(types) {
}

QPoint ShownPicture::origin(QSize pictureSize, const QRect& area) const {
    // Integer division truncates toward zero: a picture wider than the
    // area by an odd number loses one pixel less on the left.
    if (m_fit == PictureFit::Centred)
        return area.topLeft() +
               QPoint((area.width() - pictureSize.width()) / 2, (area.height() - pictureSize.height()) / 2);
    return area.topLeft();
}

std::pair<QRect, int> ShownPicture::unscaledPart(QSize pictureSize, const QRect& area) const {
    const QRect visible = QRect(QPoint(0, 0), pictureSize) & area.translated(-origin(pictureSize, area));
    return {visible, stepWithinLimit(visible.size(), 1, kMaxShownPixels)};
}

bool ShownPicture::fits(const QString& fileName, const std::optional<FileVersion>& now, const QRect& area,
                        QSize target) const {
    if (!m_kept || !now || !m_kept->settled || m_kept->fileName != fileName || m_kept->version != *now)
        return false;
    if (m_kept->image.isNull())
        return true;
    if (m_fit == PictureFit::Stretched)
        return m_kept->target == target;
    const auto [region, step] = unscaledPart(m_kept->pictureSize, area);
    // A coarser sampling only serves the very same region.
    return step == m_kept->step && (step == 1 ? m_kept->region.contains(region) : m_kept->region == region);
}

void ShownPicture::decode(const QString& fileName, const QRect& area, QSize target) {
    ++m_decodes;
    const qint64 startedNs = wallClockNs();
    PicturePart part = ReadPicturePart(fileName, m_types, [&](QSize size) -> std::pair<QRect, int> {
        if (m_fit != PictureFit::Stretched)
            return unscaledPart(size, area);
        // Twice the shown size at least, for a smooth reduction below.
        const int step = std::min(size.width() / (2 * target.width()), size.height() / (2 * target.height()));
        return {QRect(QPoint(0, 0), size), stepWithinLimit(size, step, kStretchedPixels)};
    });
    Kept kept;
    kept.fileName = fileName;
    kept.version = part.version.value_or(FileVersion{});
    kept.settled = part.version && !part.changedWhileRead && part.version->modifiedNs < startedNs - kSettleNs;
    kept.pictureSize = part.pictureSize;
    kept.region = part.region;
    kept.step = part.step;
    kept.target = target;
    if (part.image.isNull())
        reportOnce(fileName, part.refusal);
    else if (m_fit == PictureFit::Stretched &&
             (part.image.width() > target.width() || part.image.height() > target.height()))
        kept.image = part.image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    else
        kept.image = std::move(part.image);
    m_kept = std::move(kept);
}

bool ShownPicture::draw(QPainter& painter, const QString& fileName, const QRect& area) {
    if (fileName.isEmpty() || area.isEmpty())
        return false;
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1.0;
    const QSize target = m_fit == PictureFit::Stretched ? stretchTarget(area.size(), ratio) : QSize();
    const std::optional<FileVersion> now = VersionOf(fileName);
    if (!now) {
        m_kept.reset();
        reportOnce(fileName, QStringLiteral("no such file"));
        return false;
    }
    if (!fits(fileName, now, area, target))
        decode(fileName, area, target);
    const Kept& kept = *m_kept;
    if (kept.image.isNull())
        return false;

    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    if (m_fit == PictureFit::Stretched) {
        // Made at the size it is shown, it is drawn as it is; a smaller
        // picture is enlarged smoothly.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, kept.image.size() != target);
        painter.drawImage(area, kept.image);
    } else {
        const QPoint at = origin(kept.pictureSize, area);
        const QRect shown = unscaledPart(kept.pictureSize, area).first;
        const int step = kept.step;
        const QRect source((shown.x() - kept.region.x()) / step, (shown.y() - kept.region.y()) / step,
                           int(ceilDiv(shown.width(), step)), int(ceilDiv(shown.height(), step)));
        if (step == 1) {
            painter.drawImage(at + shown.topLeft(), kept.image, source);
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRect(at + shown.topLeft(), shown.size()), kept.image, source);
        }
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    return true;
}
