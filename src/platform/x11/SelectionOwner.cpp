#include "platform/x11/SelectionOwner.h"

#include "platform/x11/XcbReply.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <poll.h>
#include <xcb/xcb.h>

namespace platform::x11 {

namespace {

constexpr int kTimestampWaitMs = 500;

} // namespace

SelectionOwner::SelectionOwner(const QByteArray& displayName)
{
    int screen = 0;
    m_c = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screen);
    if (xcb_connection_has_error(m_c))
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_c));
    for (int i = 0; i < screen && it.rem > 0; ++i)
        xcb_screen_next(&it);
    if (it.rem == 0)
        return;
    m_root = it.data->root;
    m_window = xcb_generate_id(m_c);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    m_clipboard = atom("CLIPBOARD");
    m_targets = atom("TARGETS");
    m_timestamp = atom("TIMESTAMP");
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_c), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { dispatchPending(); });
}

SelectionOwner::~SelectionOwner()
{
    m_notifier.reset();
    xcb_disconnect(m_c);
}

bool SelectionOwner::opened() const
{
    return m_window != 0 && xcb_connection_has_error(m_c) == 0;
}

uint32_t SelectionOwner::atom(const char* name)
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : XCB_NONE;
}

std::vector<SelectionFormat> SelectionOwner::textFormats(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const uint32_t utf8String = atom("UTF8_STRING");
    std::vector<SelectionFormat> formats = {
        {utf8String, utf8String, 8, utf8},
        {atom("text/plain;charset=utf-8"), utf8String, 8, utf8},
        {atom("TEXT"), utf8String, 8, utf8},
    };
    // Latin-1 only for a text that is Latin-1 throughout.
    const bool latin1 = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
    if (latin1)
        formats.push_back({XCB_ATOM_STRING, XCB_ATOM_STRING, 8, text.toLatin1()});
    return formats;
}

// A server timestamp for taking the clipboard (clients may ask when it was taken),
// from the notice of an empty change to a property of our window.
uint32_t SelectionOwner::serverTime()
{
    const uint32_t property = atom("TOVRIN_TIMESTAMP");
    xcb_change_property(m_c, XCB_PROP_MODE_APPEND, m_window, property, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(m_c);
    const QDeadlineTimer deadline(kTimestampWaitMs);
    while (!deadline.hasExpired()) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(m_c)) {
            Reply<xcb_generic_event_t> event(e);
            if ((e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                const auto* n = reinterpret_cast<const xcb_property_notify_event_t*>(e);
                if (n->window == m_window && n->atom == property)
                    return n->time;
            }
            handle(e);
        }
        pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
        ::poll(&fd, 1, int(std::max<qint64>(deadline.remainingTime(), 0)));
    }
    return XCB_CURRENT_TIME;
}

bool SelectionOwner::own(std::vector<SelectionFormat> formats)
{
    if (!opened())
        return false;
    m_formats = std::move(formats);
    m_time = serverTime();
    xcb_set_selection_owner(m_c, m_window, m_clipboard, m_time);
    Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_clipboard), nullptr));
    m_owning = reply && reply->owner == m_window;
    dispatchPending();
    return m_owning;
}

void SelectionOwner::release()
{
    if (!m_owning)
        return;
    xcb_set_selection_owner(m_c, XCB_NONE, m_clipboard, m_time);
    xcb_flush(m_c);
    m_owning = false;
    m_formats.clear();
}

void SelectionOwner::dispatchPending()
{
    if (!m_c)
        return;
    while (xcb_generic_event_t* e = xcb_poll_for_event(m_c)) {
        Reply<xcb_generic_event_t> event(e);
        handle(e);
    }
    xcb_flush(m_c);
}

void SelectionOwner::handle(const void* generic)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(generic);
    switch (event->response_type & 0x7f) {
    case XCB_SELECTION_REQUEST:
        answer(event);
        break;
    case XCB_SELECTION_CLEAR:
        if (reinterpret_cast<const xcb_selection_clear_event_t*>(event)->selection == m_clipboard) {
            m_owning = false;
            m_formats.clear();
        }
        break;
    default:
        break;
    }
}

void SelectionOwner::answer(const void* event)
{
    const auto* request = static_cast<const xcb_selection_request_event_t*>(event);
    // Obsolete requestors name no property: the target's name serves.
    const xcb_atom_t property = request->property != XCB_NONE ? request->property : request->target;
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request->time;
    notify.requestor = request->requestor;
    notify.selection = request->selection;
    notify.target = request->target;
    notify.property = XCB_NONE;

    const auto found = std::find_if(m_formats.begin(), m_formats.end(),
                                    [&](const SelectionFormat& f) { return f.target == request->target; });
    // Bytes that fit in one request; larger ones would need the incremental transfer.
    const qsizetype mostBytes = qsizetype(xcb_get_maximum_request_length(m_c)) * 4 - 64;
    bool dataTaken = false;
    if (!m_owning || request->selection != m_clipboard || (request->time != XCB_CURRENT_TIME && request->time < m_time)) {
        // Not ours (any more), or asked for before we held it: refused.
    } else if (request->target == m_targets) {
        std::vector<xcb_atom_t> targets = {m_targets, m_timestamp};
        for (const SelectionFormat& f : m_formats)
            targets.push_back(f.target);
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, request->requestor, property, XCB_ATOM_ATOM, 32,
                            uint32_t(targets.size()), targets.data());
        notify.property = property;
    } else if (request->target == m_timestamp) {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, request->requestor, property, XCB_ATOM_INTEGER, 32, 1,
                            &m_time);
        notify.property = property;
    } else if (found != m_formats.end() && found->data.size() <= mostBytes) {
        const uint32_t units = uint32_t(found->data.size() / (found->format / 8));
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, request->requestor, property, found->type, found->format,
                            units, found->data.constData());
        notify.property = property;
        dataTaken = true;
    }
    xcb_send_event(m_c, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
    xcb_flush(m_c);
    if (dataTaken && onDataTaken)
        onDataTaken();
}

} // namespace platform::x11
