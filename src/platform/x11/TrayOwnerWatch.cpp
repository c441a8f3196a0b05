#include "platform/x11/TrayOwnerWatch.h"

#include <QCoreApplication>

#include <xcb/xfixes.h>

#include <cstdlib>

namespace platform {

TrayOwnerWatch::TrayOwnerWatch(xcb_connection_t* connection, int screen)
    : m_connection(connection)
{
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr);
    m_selection = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(atom);
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (m_selection == XCB_ATOM_NONE || !xfixes || !xfixes->present)
        return;
    // The version must be agreed before XFixes requests; Qt has done so on this
    // connection already, and saying it again is harmless.
    free(xcb_xfixes_query_version_reply(connection, xcb_xfixes_query_version(connection, 5, 0), nullptr));
    m_notifyEvent = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screen && roots.rem > 1; ++i)
        xcb_screen_next(&roots);
    xcb_xfixes_select_selection_input(connection, roots.data->root, m_selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    // Asked once after the watch is set, so no change falls between the two.
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, m_selection), nullptr);
    m_owned = owner && owner->owner != XCB_WINDOW_NONE;
    free(owner);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

TrayOwnerWatch::~TrayOwnerWatch()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TrayOwnerWatch::nativeEventFilter(const QByteArray& type, void* message, qintptr* result)
{
    Q_UNUSED(result);
    if (m_notifyEvent == 0 || type != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != m_notifyEvent)
        return false;
    const auto* notice = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notice->selection != m_selection)
        return false;
    // An owner that went (its window destroyed, its client gone) is still named in the notice.
    const bool owned = notice->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER && notice->owner != XCB_WINDOW_NONE;
    if (owned != m_owned) {
        m_owned = owned;
        emit ownerChanged(owned);
    }
    // Qt may watch the same selection for its own tray icon.
    return false;
}

} // namespace platform
