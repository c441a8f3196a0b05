#include "ui/main/TrayIcon.h"

#include <QLabel>

#include <algorithm>

#include "Version.h"
#include "core/Settings.h"
#include "core/WindowHolder.h"
#include "platform/NotifyIcon.h"
#include "ui/main/MainWindow.h"

namespace tray {

namespace {

constexpr qsizetype kTipBytes = 64;

// The icon the program means to show, docked or not: a host that goes away takes the
// icon with it, and one that comes gets it again, with its first tip.
bool g_wanted = false;
QString g_tip;

void dock(platform::NotifyIcon& icon)
{
    // Reaching the main window loads it if needed: the icon shows its picture and menu.
    MainWindow& main = windows().get<MainWindow>();
    icon.setMenu(main.trayMenu);
    icon.show(QIcon(main.trayPicture->pixmap()), shownTip(g_tip));
}

} // namespace

bool isAvailable()
{
    platform::NotifyIcon* icon = platform::notifyIcon();
    return icon && icon->isAvailable();
}

bool add(const QString& tip)
{
    MainWindow& main = windows().get<MainWindow>();
    platform::NotifyIcon* icon = platform::notifyIcon();
    if (!icon)
        return false;
    if (icon->isShown())
        return true;
    // Without a picture (an image reader missing beside the exe) Qt on Windows adds
    // nothing to the notification area, yet would report the icon as shown.
    if (QIcon(main.trayPicture->pixmap()).isNull())
        return false;
    g_wanted = true;
    g_tip = tip;
    dock(*icon);
    return icon->isShown();
}

void want(const QString& tip)
{
    g_wanted = true;
    g_tip = tip;
}

void remove()
{
    g_wanted = false;
    if (platform::NotifyIcon* icon = platform::notifyIcon())
        icon->hide();
}

void hostChanged(bool available)
{
    platform::NotifyIcon* icon = platform::notifyIcon();
    if (!icon || !g_wanted)
        return;
    if (available) {
        if (!icon->isShown())
            dock(*icon);
        return;
    }
    if (!icon->isShown())
        return;
    // Gone with its host: the close box must end the program again, and the user gets
    // the window back if it was all there was.
    icon->hide();
    MainWindow& main = windows().get<MainWindow>();
    if (!main.isVisible())
        main.showMainWindow();
}

bool isShown()
{
    platform::NotifyIcon* icon = platform::notifyIcon();
    return icon && icon->isShown();
}

QString startUpTip()
{
    return QStringLiteral("%1 %2.%3").arg(QString::fromLatin1(version::kTitle)).arg(version::kMajor).arg(version::kMinor);
}

QString minimizeTip()
{
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(version::kTitle), QString::fromLatin1(version::kString));
}

QString shownTip(const QString& tip)
{
    QString out;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < tip.size();) {
        // Whole code points only: a surrogate pair is one character.
        const qsizetype length = tip.at(i).isHighSurrogate() && i + 1 < tip.size() ? 2 : 1;
        const QString character = tip.mid(i, length);
        bytes += character.toLocal8Bit().size();
        if (bytes > kTipBytes)
            break;
        out += character;
        i += length;
    }
    return out;
}

QPoint menuPosition(const QRect& icon, const QRect& screen, const QSize& menu)
{
    // Keeps [start, start + length) on screen where it fits, its start on screen where not.
    auto within = [](int start, int length, int low, int high) {
        return std::max(low, std::min(start, high + 1 - length));
    };
    // The panel's edge is the one the icon is nearest to, or beyond (a panel that
    // reserves its space). Horizontal panels are the common case, so they win a tie,
    // as in a corner without reserved space.
    const int gapBottom = screen.bottom() - icon.bottom();
    const int gapTop = icon.top() - screen.top();
    const int gapLeft = icon.left() - screen.left();
    const int gapRight = screen.right() - icon.right();
    // At twice the density an icon in a corner may come a pixel nearer to the side edge
    // than to its panel's (Qt rounds its half-pixel position up): one pixel is no
    // difference here.
    const int nearest = std::min({gapBottom, gapTop, gapLeft, gapRight}) + 1;

    // The side away from the panel's edge has at least as much room as the other.
    if (gapBottom <= nearest || gapTop <= nearest) {
        const int x = within(icon.left(), menu.width(), screen.left(), screen.right());
        if (gapBottom <= gapTop)
            return {x, std::max(icon.top() - menu.height(), screen.top())};
        return {x, icon.bottom() + 1};
    }
    const int y = within(icon.top(), menu.height(), screen.top(), screen.bottom());
    if (gapLeft <= gapRight)
        return {icon.right() + 1, y};
    return {std::max(icon.left() - menu.width(), screen.left()), y};
}

} // namespace tray

void showMainOrTray()
{
    if (!settings().values().placeInTray) {
        windows().get<MainWindow>().showModeless();
    } else if (tray::isAvailable()) {
        if (!tray::add(tray::startUpTip()))
            // No icon to see: the user would be left with nothing at all.
            windows().get<MainWindow>().showModeless();
    } else {
        // Without a notification area the user would be left with nothing at all; a
        // panel that starts later still gets the icon.
        tray::want(tray::startUpTip());
        windows().get<MainWindow>().showModeless();
    }
}
