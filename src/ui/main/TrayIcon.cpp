#include "ui/main/TrayIcon.h"

#include <QLabel>

#include "Version.h"
#include "core/Settings.h"
#include "core/WindowHolder.h"
#include "platform/NotifyIcon.h"
#include "ui/main/MainWindow.h"

namespace tray {

namespace {

constexpr qsizetype kTipBytes = 64;

} // namespace

bool isAvailable()
{
    platform::NotifyIcon* icon = platform::notifyIcon();
    return icon && icon->isAvailable();
}

bool add(const QString& tip)
{
    // Reaching the main window loads it if needed: the icon shows its picture and menu.
    MainWindow& main = windows().get<MainWindow>();
    platform::NotifyIcon* icon = platform::notifyIcon();
    if (!icon)
        return false;
    if (icon->isShown())
        return true;
    const QIcon picture(main.trayPicture->pixmap());
    // Without a picture (an image reader missing beside the exe) Qt on Windows adds
    // nothing to the notification area, yet would report the icon as shown.
    if (picture.isNull())
        return false;
    icon->setMenu(main.trayMenu);
    icon->show(picture, shownTip(tip));
    return icon->isShown();
}

void remove()
{
    if (platform::NotifyIcon* icon = platform::notifyIcon())
        icon->hide();
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

} // namespace tray

void showMainOrTray()
{
    // Without an icon in a notification area the user would be left with nothing at all.
    if (!settings().values().placeInTray || !tray::isAvailable() || !tray::add(tray::startUpTip()))
        windows().get<MainWindow>().showModeless();
}
