#include "shell/lockkeys.h"

#include <QGuiApplication>

#ifdef OLLO_HAVE_X11
// After the Qt headers: X11 defines macros such as None and Bool.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

LockKeyState ReadLockKeys() {
    LockKeyState state;
#ifdef OLLO_HAVE_X11
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (display == nullptr)
        return state;
    const auto indicator = [display](const char* name, bool* on) {
        const Atom atom = XInternAtom(display, name, True);
        int lit = 0;
        if (atom == 0 || !XkbGetNamedIndicator(display, atom, nullptr, &lit, nullptr, nullptr))
            return false;
        *on = lit != 0;
        return true;
    };
    const bool caps = indicator("Caps Lock", &state.capsLock);
    const bool num = indicator("Num Lock", &state.numLock);
    const bool scroll = indicator("Scroll Lock", &state.scrollLock);
    state.known = caps || num || scroll;
#endif
    return state;
}

bool LockKeysFromX11() {
#ifdef OLLO_HAVE_X11
    return true;
#else
    return false;
#endif
}
