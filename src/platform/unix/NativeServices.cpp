#include <QGuiApplication>
#include <QStandardPaths>

#include "platform/Services.h"
#include "platform/qt/QtBeeper.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtLinks.h"
#include "platform/unix/EmulatedRegistry.h"
#include "platform/qt/QtNotifyIcon.h"
#include "platform/unix/CanberraBeeper.h"
#include "platform/unix/DesktopNotifyIcon.h"
#include "platform/unix/StatusNotifierIcon.h"
#include "platform/unix/WaylandClipboard.h"
#include "platform/unix/WaylandSelectionPaster.h"
#include "platform/x11/X11Clipboard.h"
#include "platform/x11/X11SelectionPaster.h"

#include <xcb/xcb.h>

// Last: its macros (Status, None, Bool) would clash with the program's names.
#include <X11/Xlib.h>

namespace platform {

namespace {

bool waylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool found(const char* program)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

std::unique_ptr<Clipboard> makeClipboard()
{
    // On Wayland the compositor decides when XWayland sees its clipboard (wlroots: only
    // while an X11 window has the focus), so the clipboard is read where it lives when
    // the compositor lets a program without focus do that; GNOME does not, and keeps
    // the XWayland bridge.
    if (waylandSession() && found("wl-paste") && found("wl-copy") && waylandHasDataControl())
        return std::make_unique<WaylandClipboard>();
    // On an X11 display (XWayland included) the reader talks to the clipboard's owner
    // on the display Qt opened.
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        QByteArray display = x11->display() ? QByteArray(XDisplayString(x11->display())) : qgetenv("DISPLAY");
        return std::make_unique<X11Clipboard>(std::move(display), x11->connection());
    }
    return std::make_unique<QtClipboard>();
}

std::unique_ptr<SelectionPaster> makeSelectionPaster()
{
    if (waylandSession() && waylandCanPaste())
        return std::make_unique<WaylandSelectionPaster>();
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    const QByteArray display = x11 && x11->display() ? QByteArray(XDisplayString(x11->display())) : qgetenv("DISPLAY");
    // Other Wayland desktops let no program type into another (GNOME asks the user
    // through its remote-desktop portal first): the selection as XWayland sees it, and
    // the result as a tray command leaves it.
    if (waylandSession() && x11)
        return std::make_unique<ReadOnlySelection>(
            std::make_unique<X11Clipboard>(display, x11->connection(), X11Clipboard::Selection::Primary));
    if (x11)
        return std::make_unique<X11SelectionPaster>(display, x11->connection());
    return std::make_unique<ReadOnlySelection>(std::make_unique<QtClipboard>(QClipboard::Selection));
}

// Whether an XEmbed tray manages the display's screen: the owner of its tray selection.
// Asked here rather than through Qt, which would settle its tray protocol on the spot.
std::function<bool()> xembedTrayPresent()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return [] { return false; };
    xcb_connection_t* connection = x11->connection();
    const int screen = x11->display() ? DefaultScreen(x11->display()) : 0;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr);
    const xcb_atom_t selection = atom ? atom->atom : XCB_ATOM_NONE;
    free(atom);
    return [connection, selection] {
        if (selection == XCB_ATOM_NONE)
            return false;
        xcb_get_selection_owner_reply_t* reply =
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
        const bool owned = reply && reply->owner != XCB_WINDOW_NONE;
        free(reply);
        return owned;
    };
}

std::shared_ptr<NotifyIcon> makeNotifyIcon()
{
    auto sni = std::make_unique<StatusNotifierIcon>();
    StatusNotifierIcon* sniIcon = sni.get();
    DesktopNotifyIcon::Backend statusNotifier{std::move(sni), [sniIcon] {
                                                  // The answer to this look comes later.
                                                  sniIcon->refresh();
                                                  return sniIcon->isAvailable();
                                              }};
    DesktopNotifyIcon::Backend xembed{std::make_unique<QtNotifyIcon>(), xembedTrayPresent()};
    return std::make_shared<DesktopNotifyIcon>(std::move(statusNotifier), std::move(xembed));
}

} // namespace

void installNativeServices()
{
    Services& s = services();
    s.clipboard = makeClipboard();
    s.links = std::make_unique<QtLinks>();
    // XWayland's bell is silent: a Wayland session hears the desktop's bell sound.
    if (waylandSession() && found("canberra-gtk-play"))
        s.beeper = std::make_unique<CanberraBeeper>();
    else
        s.beeper = std::make_unique<QtBeeper>();
    s.notifyIcon = makeNotifyIcon();
    s.selectionPaster = makeSelectionPaster();
    s.registry = makeEmulatedRegistry();
}

} // namespace platform
