#include "kit/announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace AnnouncerParts {

// The bar that holds the news; a class of its own, so that it gets its role.
class NewsBar : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;
};

// The news itself: its accessible name is the text.
class NewsItem : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;
};

QAccessibleInterface* roles(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("Announcer"))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == QLatin1String("AnnouncerParts::NewsBar"))
        return new QAccessibleWidget(widget, QAccessible::StatusBar);
    if (className == QLatin1String("AnnouncerParts::NewsItem"))
        return new QAccessibleWidget(widget, QAccessible::Notification);
    return nullptr;
}

} // namespace AnnouncerParts

Announcer::Announcer(QWidget* window)
    : QWidget(window) {
    static const bool installed = [] {
        QAccessible::installFactory(&AnnouncerParts::roles);
        return true;
    }();
    Q_UNUSED(installed);
    // A pixel just outside the window, drawn by nobody: showing and hiding it
    // repaints nothing of the window.
    setGeometry(-1, -1, 1, 1);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QStringLiteral("Mitteilungen"));
    auto* bar = new AnnouncerParts::NewsBar(this);
    bar->setGeometry(0, 0, 1, 1);
    m_item = new AnnouncerParts::NewsItem(bar);
    m_item->setGeometry(0, 0, 1, 1);
    m_item->hide();
}

Announcer::~Announcer() = default;

void Announcer::announce(const QString& text) {
    // The screen reader reads the item when it appears, so it leaves first.
    m_item->hide();
    m_item->setAccessibleName(text);
    // Before its window is on screen the news would be read as the window
    // appears, beside what the window itself says then.
    if (!text.isEmpty() && isVisible())
        m_item->show();
}

#include "announcer.moc"
