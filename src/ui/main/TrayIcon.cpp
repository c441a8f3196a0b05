#include "ui/main/TrayIcon.h"

#include <QMenu>

#include <algorithm>

#include "Version.h"

namespace {

constexpr qsizetype kTipBytes = 64;

} // namespace

TrayIcon::TrayIcon(platform::NotifyIcon* icon)
    : m_icon(icon)
{
    if (!m_icon)
        return;
    // Queued, as the desktop's own messages are: a menu's loop never runs inside the
    // tray host's event.
    connect(m_icon, &platform::NotifyIcon::requested, this, &TrayIcon::requested, Qt::QueuedConnection);
    connect(m_icon, &platform::NotifyIcon::availabilityChanged, this, &TrayIcon::hostChanged, Qt::QueuedConnection);
}

bool TrayIcon::isAvailable() const
{
    return m_icon && m_icon->isAvailable();
}

bool TrayIcon::isShown() const
{
    return m_icon && m_icon->isShown();
}

QRect TrayIcon::geometry() const
{
    return m_icon ? m_icon->geometry() : QRect();
}

bool TrayIcon::add(const QIcon& picture, QMenu* menu, const QString& tip)
{
    if (!m_icon)
        return false;
    if (m_icon->isShown())
        return true;
    // Without a picture (an image reader missing beside the exe) Qt on Windows adds
    // nothing to the notification area, yet would report the icon as shown.
    if (picture.isNull())
        return false;
    want(picture, menu, tip);
    dock();
    return m_icon->isShown();
}

void TrayIcon::want(const QIcon& picture, QMenu* menu, const QString& tip)
{
    m_wanted = true;
    m_picture = picture;
    m_menu = menu;
    m_tip = tip;
}

void TrayIcon::remove()
{
    m_wanted = false;
    if (m_icon)
        m_icon->hide();
}

void TrayIcon::dock()
{
    m_icon->setMenu(m_menu);
    m_icon->show(m_picture, tray::shownTip(m_tip));
}

void TrayIcon::hostChanged(bool available)
{
    if (!m_wanted)
        return;
    if (available) {
        if (!m_icon->isShown())
            dock();
        return;
    }
    if (!m_icon->isShown())
        return;
    // Gone with its host: the close box must end the program again, and the user gets
    // the window back if it was all there was.
    m_icon->hide();
    emit lost();
}

namespace tray {

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
