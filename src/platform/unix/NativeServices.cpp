#include <QGuiApplication>

#include "platform/Services.h"
#include "platform/qt/QtBeeper.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtLinks.h"
#include "platform/unix/EmulatedRegistry.h"
#include "platform/qt/QtNotifyIcon.h"
#include "platform/x11/X11Clipboard.h"

// Last: its macros (Status, None, Bool) would clash with the program's names.
#include <X11/Xlib.h>

namespace platform {

namespace {

std::unique_ptr<Clipboard> makeClipboard()
{
    // On an X11 display (XWayland included) the reader talks to the clipboard's owner
    // on the display Qt opened.
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        QByteArray display = x11->display() ? QByteArray(XDisplayString(x11->display())) : qgetenv("DISPLAY");
        return std::make_unique<X11Clipboard>(std::move(display), x11->connection());
    }
    return std::make_unique<QtClipboard>();
}

} // namespace

void installNativeServices()
{
    Services& s = services();
    s.clipboard = makeClipboard();
    s.links = std::make_unique<QtLinks>();
    s.beeper = std::make_unique<QtBeeper>();
    s.notifyIcon = std::make_shared<QtNotifyIcon>();
    s.registry = makeEmulatedRegistry();
}

} // namespace platform
