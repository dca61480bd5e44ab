#include "LockKeys.h"

#ifdef SONADEX_HAVE_X11

#include <QGuiApplication>
#include <X11/XKBlib.h>

namespace {

// The keyboard indicator (LED) of that name, or nullopt.
std::optional<bool> NamedIndicator(Display* display, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    Bool on = False;
    if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return std::nullopt;
    return on == True;
}

} // namespace

LockKeyState ReadLockKeyState()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return {};
    return {NamedIndicator(display, "Caps Lock"), NamedIndicator(display, "Num Lock"),
            NamedIndicator(display, "Scroll Lock")};
}

#else

LockKeyState ReadLockKeyState()
{
    return {};
}

#endif
