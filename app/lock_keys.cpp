#include "app/lock_keys.h"

#include <QGuiApplication>
#include <QLibrary>

#include <QtGui/qguiapplication_platform.h>

namespace veltra {

#if QT_CONFIG(xcb)

namespace {

// The few X11 entry points needed, looked up at run time from the library that the xcb
// platform already has loaded, so building needs no X11 development files.
using Atom = unsigned long;
using XInternAtomFn = Atom (*)(Display*, const char*, int);
using XkbGetNamedIndicatorFn = int (*)(Display*, Atom, int*, int*, void*, int*);

struct XkbFunctions {
    XInternAtomFn internAtom = nullptr;
    XkbGetNamedIndicatorFn getNamedIndicator = nullptr;
};

const XkbFunctions& ResolveXkb()
{
    static const XkbFunctions functions = [] {
        XkbFunctions resolved;
        QLibrary x11(QStringLiteral("X11"), 6);
        if (!x11.load())
            return resolved;
        resolved.internAtom = reinterpret_cast<XInternAtomFn>(x11.resolve("XInternAtom"));
        resolved.getNamedIndicator =
            reinterpret_cast<XkbGetNamedIndicatorFn>(x11.resolve("XkbGetNamedIndicator"));
        return resolved;
    }();
    return functions;
}

bool IndicatorOn(const XkbFunctions& xkb, Display* display, const char* name)
{
    const Atom atom = xkb.internAtom(display, name, 1 /* only if it exists */);
    if (atom == 0)
        return false;
    int index = 0;
    int state = 0;
    int real = 0;
    if (!xkb.getNamedIndicator(display, atom, &index, &state, nullptr, &real))
        return false;
    return state != 0;
}

}  // namespace

std::optional<LockKeyState> QueryLockKeys()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    const XkbFunctions& xkb = ResolveXkb();
    if (!xkb.internAtom || !xkb.getNamedIndicator)
        return std::nullopt;
    LockKeyState state;
    state.capsLock = IndicatorOn(xkb, display, "Caps Lock");
    state.numLock = IndicatorOn(xkb, display, "Num Lock");
    state.scrollLock = IndicatorOn(xkb, display, "Scroll Lock");
    return state;
}

#else

std::optional<LockKeyState> QueryLockKeys() { return std::nullopt; }

#endif

}  // namespace veltra
