#include "pictures/shownpicture.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace {

qint64 ceilDiv(qint64 a, qint64 b) {
    return (a + b - 1) / b;
}

// A stretched picture is decoded and then reduced: each may take half.
constexpr qint64 kStretchedPixels = kMaxShownPixels / 2;
// The backdrop, the drill's, the joke's and a reward picture.
constexpr size_t kKeptPictures = 4;

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

// What was decoded of one version of a file for one kind of view.
struct Decoded {
    QString fileName;
    PictureTypes types = PictureTypes::BmpOrGif;
    FileVersion version;
    bool stretched = false;
    QSize pictureSize;
    QRect region;
    int step = 1;
    QSize target; // stretched: the device pixels it was made for
    QImage image; // null: the picture is refused

    qint64 pixels() const { return qint64(image.width()) * image.height(); }
};

// The decoded pictures of the whole program, the one drawn last at the end.
std::vector<Decoded>& keptPictures() {
    static std::vector<Decoded> pictures;
    return pictures;
}

// The kept picture that pred accepts, now counted as drawn last.
template <class Pred> const Decoded* findKept(Pred pred) {
    std::vector<Decoded>& kept = keptPictures();
    const auto found = std::find_if(kept.begin(), kept.end(), pred);
    if (found == kept.end())
        return nullptr;
    std::rotate(found, found + 1, kept.end());
    return &kept.back();
}

const Decoded& keep(Decoded decoded) {
    std::vector<Decoded>& kept = keptPictures();
    std::erase_if(kept, [&](const Decoded& old) {
        return old.fileName == decoded.fileName && old.version != decoded.version;
    });
    kept.push_back(std::move(decoded));
    qint64 pixels = 0;
    for (const Decoded& picture : kept)
        pixels += picture.pixels();
    while ((pixels > kMaxShownPixels || kept.size() > kKeptPictures) && kept.size() > 1) {
        pixels -= kept.front().pixels();
        kept.erase(kept.begin());
    }
    return kept.back();
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

bool ShownPicture::draw(QPainter& painter, const QString& fileName, const QRect& area) {
    m_drawnSize = {};
    if (fileName.isEmpty() || area.isEmpty())
        return false;
    const std::optional<FileVersion> now = VersionOf(fileName);
    if (!now) {
        reportOnce(fileName, QStringLiteral("no such file"));
        return false;
    }
    const bool stretched = m_fit == PictureFit::Stretched;
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1.0;
    const QSize target = stretched ? stretchTarget(area.size(), ratio) : QSize();

    const Decoded* shown = findKept([&](const Decoded& kept) {
        if (kept.fileName != fileName || kept.types != m_types || kept.version != *now)
            return false;
        if (kept.image.isNull())
            return true;
        if (kept.stretched != stretched)
            return false;
        if (stretched)
            return kept.target == target;
        const auto [region, step] = unscaledPart(kept.pictureSize, area);
        // A coarser sampling only serves the very same region.
        return step == kept.step && (step == 1 ? kept.region.contains(region) : kept.region == region);
    });
    Decoded fresh;
    if (shown == nullptr) {
        ++m_decodes;
        const qint64 startedNs = wallClockNs();
        PicturePart part = ReadPicturePart(fileName, m_types, [&](QSize size) -> std::pair<QRect, int> {
            if (!stretched)
                return unscaledPart(size, area);
            // Twice the shown size at least, for a smooth reduction below.
            const int step =
                std::min(size.width() / (2 * target.width()), size.height() / (2 * target.height()));
            return {QRect(QPoint(0, 0), size), stepWithinLimit(size, step, kStretchedPixels)};
        });
        fresh.fileName = fileName;
        fresh.types = m_types;
        fresh.version = part.version.value_or(FileVersion{});
        fresh.stretched = stretched;
        fresh.pictureSize = part.pictureSize;
        fresh.region = part.region;
        fresh.step = part.step;
        fresh.target = target;
        if (part.image.isNull())
            reportOnce(fileName, part.refusal);
        else if (stretched && (part.image.width() > target.width() || part.image.height() > target.height()))
            fresh.image = part.image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        else
            fresh.image = std::move(part.image);
        // Kept only what stays as it was read.
        const bool settled =
            part.version && !part.changedWhileRead && part.version->modifiedNs < startedNs - kSettleNs;
        shown = settled ? &keep(std::move(fresh)) : &fresh;
    }
    if (shown->image.isNull())
        return false;
    m_drawnSize = shown->image.size();

    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    if (stretched) {
        // Made at the size it is shown, it is drawn as it is; a smaller
        // picture is enlarged smoothly.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, shown->image.size() != target);
        painter.drawImage(area, shown->image);
    } else {
        const QPoint at = origin(shown->pictureSize, area);
        const QRect part = unscaledPart(shown->pictureSize, area).first;
        const int step = shown->step;
        const QRect source((part.x() - shown->region.x()) / step, (part.y() - shown->region.y()) / step,
                           int(ceilDiv(part.width(), step)), int(ceilDiv(part.height(), step)));
        if (step == 1) {
            painter.drawImage(at + part.topLeft(), shown->image, source);
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRect(at + part.topLeft(), part.size()), shown->image, source);
        }
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    return true;
}
