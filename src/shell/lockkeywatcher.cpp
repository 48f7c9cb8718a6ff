#include "shell/lockkeywatcher.h"

#include <QCoreApplication>
#include <QGuiApplication>

#ifdef OLLO_HAVE_X11
// After the Qt headers: X11 defines macros such as None and Bool.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

LockKeyWatcher::LockKeyWatcher(QObject* parent)
    : QObject(parent) {
#ifdef OLLO_HAVE_X11
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (display == nullptr)
        return;
    int opcode = 0;
    int eventBase = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor))
        return;
    // Only this kind is added to what Qt itself asks the extension for.
    if (!XkbSelectEvents(display, XkbUseCoreKbd, XkbIndicatorStateNotifyMask, XkbIndicatorStateNotifyMask))
        return;
    XFlush(display);
    m_xkbEventBase = eventBase;
    QCoreApplication::instance()->installNativeEventFilter(this);
#endif
}

LockKeyWatcher::~LockKeyWatcher() {
    if (m_xkbEventBase >= 0 && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool LockKeyWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) {
#ifdef OLLO_HAVE_X11
    if (m_xkbEventBase < 0 || eventType != "xcb_generic_event_t")
        return false;
    // An xcb event: its code, then the extension's own kind of event.
    const auto* bytes = static_cast<const unsigned char*>(message);
    if ((bytes[0] & 0x7f) == m_xkbEventBase && bytes[1] == XkbIndicatorStateNotify)
        // After Qt has handled the event; the panes read the indicators then.
        QMetaObject::invokeMethod(this, &LockKeyWatcher::changed, Qt::QueuedConnection);
#else
    Q_UNUSED(eventType)
    Q_UNUSED(message)
#endif
    return false;
}
