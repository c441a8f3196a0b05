#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <xcb/xcb.h>

namespace platform {

// Whether an XEmbed tray manages the screen (the owner of its _NET_SYSTEM_TRAY_Sn
// selection), kept up to date by the X server's selection-owner notices on the
// connection Qt reads, so nothing is asked and nothing wakes the program while idle.
class TrayOwnerWatch final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    TrayOwnerWatch(xcb_connection_t* connection, int screen);
    ~TrayOwnerWatch() override;

    bool isOwned() const { return m_owned; }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

signals:
    void ownerChanged(bool owned);

private:
    xcb_connection_t* m_connection;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    uint8_t m_notifyEvent = 0;
    bool m_owned = false;
};

} // namespace platform
