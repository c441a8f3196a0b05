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
#include "platform/x11/TrayOwnerWatch.h"
#include "platform/x11/X11Clipboard.h"
#include "platform/x11/X11PictureSurface.h"
#include "platform/x11/X11SelectionPaster.h"

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

// Qt's Wayland clipboard (a platform the user chose, on a compositor without data
// control) is empty to a program without the keyboard focus.
QtClipboard::Nothing qtClipboardNothing()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ? QtClipboard::Nothing::Unreadable
                                                                                : QtClipboard::Nothing::NoText;
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
    return std::make_unique<QtClipboard>(qtClipboardNothing());
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
    return std::make_unique<ReadOnlySelection>(
        std::make_unique<QtClipboard>(qtClipboardNothing(), QClipboard::Selection));
}

std::shared_ptr<NotifyIcon> makeNotifyIcon()
{
    auto sni = std::make_unique<StatusNotifierIcon>();
    StatusNotifierIcon* sniIcon = sni.get();
    auto sniHost = [sniIcon] { return sniIcon->isAvailable(); };
    // The XEmbed tray's owner, watched on the display Qt opened (asked there rather
    // than through Qt, which would settle its tray protocol on the spot).
    std::shared_ptr<TrayOwnerWatch> tray;
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>(); x11 && x11->connection())
        tray = std::make_shared<TrayOwnerWatch>(x11->connection(), x11->display() ? DefaultScreen(x11->display()) : 0);
    DesktopNotifyIcon::Backend statusNotifier{std::move(sni), sniHost};
    DesktopNotifyIcon::Backend xembed{std::make_unique<QtNotifyIcon>(sniHost), [tray, sniIcon] {
                                          // Qt's first icon asks the watcher, blocking: not while it keeps silent.
                                          return tray && tray->isOwned()
                                                 && (QtNotifyIcon::protocolSettled() || sniIcon->watcherAnswers());
                                      }};
    auto icon = std::make_shared<DesktopNotifyIcon>(std::move(statusNotifier), std::move(xembed));
    if (tray)
        QObject::connect(tray.get(), &TrayOwnerWatch::ownerChanged, icon.get(), &DesktopNotifyIcon::check);
    QObject::connect(sniIcon, &StatusNotifierIcon::watcherAnswersChanged, icon.get(), &DesktopNotifyIcon::check);
    return icon;
}

// Where the X server can keep the pictures, it moves them itself.
PictureSurfaceMaker makePictureSurfaces()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    const int screen = x11 && x11->display() ? DefaultScreen(x11->display()) : 0;
    if (!x11 || !x11->connection() || !X11PictureSurface::suits(x11->connection(), screen))
        return makeQtPictureSurface;
    // A native window would otherwise make its siblings native too: the blocks a
    // surface lies over would become windows of their own, each move a request and
    // an event back.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    return [connection = x11->connection()](QWidget* parent) { return new X11PictureSurface(parent, connection); };
}

} // namespace

Services makeNativeServices()
{
    Services s;
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
    s.pictureSurfaces = makePictureSurfaces();
    return s;
}

} // namespace platform
