#pragma once

// The shell's notification-area ("tray") icons, as the program sees them: one request
// call with the icon's record, and the icon's mouse messages coming back to the window
// named in the record.

#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QtGlobal>

#include <cstring>

#include "platform/Services.h"

class QMenu;

namespace platform {

// The shell's icon record in its 88-byte ANSI layout.
struct TrayIconData {
    quint32 cbSize;
    quint32 hWnd;             // the window that receives the icon's mouse messages
    quint32 uID;              // the icon's number among that window's icons
    quint32 uFlags;           // which of the next three fields count
    quint32 uCallbackMessage; // the message the owner receives, the mouse message in its x
    quint32 hIcon;            // see iconHandle()
    char szTip[64];           // the tip, read up to its NUL
};
static_assert(sizeof(TrayIconData) == 88, "the shell reads an 88-byte record");

// Requests (the message of Shell_NotifyIcon).
inline constexpr quint32 NIM_ADD = 0;
inline constexpr quint32 NIM_DELETE = 2;

// Record flags.
inline constexpr quint32 NIF_MESSAGE = 1;
inline constexpr quint32 NIF_ICON = 2;
inline constexpr quint32 NIF_TIP = 4;

// Mouse messages reported for an icon.
inline constexpr quint32 WM_MOUSEMOVE = 0x200;
inline constexpr quint32 WM_LBUTTONDOWN = 0x201;
inline constexpr quint32 WM_LBUTTONUP = 0x202;
inline constexpr quint32 WM_LBUTTONDBLCLK = 0x203;
inline constexpr quint32 WM_RBUTTONDOWN = 0x204;
inline constexpr quint32 WM_RBUTTONUP = 0x205;
inline constexpr quint32 WM_RBUTTONDBLCLK = 0x206;
inline constexpr quint32 WM_MBUTTONDOWN = 0x207;
inline constexpr quint32 WM_MBUTTONUP = 0x208;
inline constexpr quint32 WM_MBUTTONDBLCLK = 0x209;

// The tip as the shell shows it: up to the first NUL, never past the field.
inline QString tipText(const TrayIconData& data)
{
    const char* end = static_cast<const char*>(std::memchr(data.szTip, '\0', sizeof data.szTip));
    const qsizetype length = end ? end - data.szTip : qsizetype(sizeof data.szTip);
    return QString::fromLocal8Bit(data.szTip, length);
}

// Icons travel in the record as small numbers, the way the shell's icon handles do.
// The same icon always gets the same number; 0 is no icon.
quint32 iconHandle(const QPixmap& picture);
QIcon iconFromHandle(quint32 handle);

// What the owner window receives for a mouse action over one of its icons.
class NotifyIconEvent final : public QEvent {
public:
    NotifyIconEvent(quint32 uID, quint32 callbackMessage, quint32 mouseMessage);

    static QEvent::Type eventType();

    quint32 uID() const { return m_uID; }
    quint32 callbackMessage() const { return m_callbackMessage; }
    quint32 mouseMessage() const { return m_mouseMessage; }

private:
    quint32 m_uID;
    quint32 m_callbackMessage;
    quint32 m_mouseMessage;
};

// Queues a mouse message for the window named in the record, as the shell does; nothing
// when the record asks for no messages or its window is gone.
void postNotifyIconMessage(const TrayIconData& data, quint32 mouseMessage);

class NotifyIcon {
public:
    virtual ~NotifyIcon() = default;

    // NIM_ADD or NIM_DELETE. One icon per (hWnd, uID): an add while that icon is
    // present is refused and the icon keeps its tip; deleting an absent icon does
    // nothing. False when the request was refused or did nothing.
    virtual bool Shell_NotifyIcon(quint32 message, const TrayIconData& data) = 0;

    // Whether the shell holds the icon (hWnd, uID).
    virtual bool hasIcon(quint32 hWnd, quint32 uID) const = 0;

    // Whether the desktop has a notification area at all.
    virtual bool isSystemTrayAvailable() = 0;

    // The menu a host shows on its own for the icon (StatusNotifier hosts never ask the
    // program to show one). Hosts that report the right button to the program ignore it.
    virtual void setIconMenu(quint32 hWnd, quint32 uID, QMenu* menu) = 0;
};

// Null when no notification-icon service is installed: then there is no tray.
inline NotifyIcon* notifyIcon() { return services().notifyIcon.get(); }

} // namespace platform
