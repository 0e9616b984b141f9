#include "platform/system/KeyboardLocks.h"

#include <QGuiApplication>
#include <QLibrary>
#include <QtGui/qguiapplication_platform.h>

namespace platform {

namespace {

#if QT_CONFIG(xcb)
// libX11 is there wherever the xcb platform runs (Qt's own plugin needs it);
// it is bound at run time so that the program has no link dependency on X11.
using XInternAtomFn = unsigned long (*)(Display *, const char *, int);
using XkbGetNamedIndicatorFn = int (*)(Display *, unsigned long, int *, int *, void *, int *);

struct X11Indicators
{
    XInternAtomFn internAtom = nullptr;
    XkbGetNamedIndicatorFn getNamedIndicator = nullptr;
    unsigned long atoms[3] = {0, 0, 0};   // Caps, Num, Scroll
    Display *atomsDisplay = nullptr;
};

X11Indicators &Indicators()
{
    static X11Indicators x11 = [] {
        X11Indicators r;
        QLibrary lib(QStringLiteral("X11"), 6);
        if (lib.load()) {
            r.internAtom = reinterpret_cast<XInternAtomFn>(lib.resolve("XInternAtom"));
            r.getNamedIndicator =
                reinterpret_cast<XkbGetNamedIndicatorFn>(lib.resolve("XkbGetNamedIndicator"));
        }
        return r;
    }();
    return x11;
}

Display *CurrentDisplay()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11App = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11App ? x11App->display() : nullptr;
}
#endif

} // namespace

bool LockKeyToggled(int virtualKey)
{
    int which;
    switch (virtualKey) {
    case VK_CAPITAL: which = 0; break;
    case VK_NUMLOCK: which = 1; break;
    case VK_SCROLL: which = 2; break;
    default: return false;
    }
#if QT_CONFIG(xcb)
    Display *display = CurrentDisplay();
    X11Indicators &x11 = Indicators();
    if (!display || !x11.internAtom || !x11.getNamedIndicator)
        return false;
    if (x11.atomsDisplay != display) {
        // The indicators are named in the keymap; their positions differ
        // between keymaps, their names do not.
        static const char *const names[3] = {"Caps Lock", "Num Lock", "Scroll Lock"};
        for (int i = 0; i < 3; ++i)
            x11.atoms[i] = x11.internAtom(display, names[i], 0);
        x11.atomsDisplay = display;
    }
    int index = 0, state = 0, real = 0;
    if (!x11.getNamedIndicator(display, x11.atoms[which], &index, &state, nullptr, &real))
        return false;
    return state != 0;
#else
    (void)which;
    return false;
#endif
}

} // namespace platform
