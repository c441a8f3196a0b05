#include "platform/x11/X11Clipboard.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <xcb/xcb.h>

#include <QDeadlineTimer>
#include <QSocketNotifier>

#include "platform/qt/ResponsiveWait.h"
#include "platform/unix/ReadLimit.h"
#include "platform/x11/SelectionText.h"
#include "platform/x11/XcbReply.h"

namespace platform {

namespace {

using x11::TextEncoding;

ClipboardRead unavailable()
{
    return {ClipboardRead::Status::Unavailable, {}};
}

ClipboardRead noText()
{
    return {ClipboardRead::Status::NoText, {}};
}

// The text targets this reader asks for, best first: the Unicode ones, then compound
// text (every character set), then Latin-1. TEXT lets the owner choose; the type of
// its answer says which encoding it chose.
struct TextTarget {
    const char* name;
    TextEncoding encoding;
};
constexpr TextTarget kTextTargets[] = {
    {"UTF8_STRING", TextEncoding::Utf8},
    {"text/plain;charset=utf-8", TextEncoding::Utf8},
    {"text/plain;charset=UTF-8", TextEncoding::Utf8},
    {"COMPOUND_TEXT", TextEncoding::CompoundText},
    {"STRING", TextEncoding::Latin1},
    {"TEXT", TextEncoding::Latin1},
    {"text/plain", TextEncoding::Utf8},
};
constexpr int kTextTargetCount = int(std::size(kTextTargets));

// Large properties come in pieces of this many 32-bit units.
constexpr uint32_t kUnitsPerRead = 1u << 18;
// An incremental transfer announces a lower bound of its size; room for that much is
// made at once, up to this.
constexpr qsizetype kMostReservedBytes = qsizetype(256) << 20;
// Between two pieces of a large property nothing waits on the owner; the program's
// events get their turn at least this often all the same.
constexpr qint64 kLongestBusyMs = 50;

using x11::Reply;

// QByteArray::append copies the whole array into a new block each time it outgrows its
// capacity: a gigabyte read that way stalls the program for seconds and holds twice its
// size. Reserving first grows the block with realloc, which moves a large block's pages
// instead of copying them.
void appendGrowing(QByteArray& into, const char* bytes, qsizetype size)
{
    if (into.capacity() - into.size() < size)
        into.reserve(std::max(into.size() + size, into.capacity() * 2));
    into.append(bytes, size);
}

} // namespace

class X11Clipboard::Connection {
public:
    static std::unique_ptr<Connection> open(const QByteArray& displayName, const char* selection);
    ~Connection() { xcb_disconnect(m_c); }

    bool broken() const { return xcb_connection_has_error(m_c) != 0; }
    // XCB_NONE when nobody owns the clipboard; nothing when the display did not answer.
    std::optional<xcb_window_t> owner();
    // Everything the owner hands over counts against `limit`; past it, or past the
    // deadline, the clipboard is unavailable.
    ClipboardRead readText(const QDeadlineTimer& deadline, qsizetype limit);
    // Every data format the owner offers, all of it counted against `limit`; nothing
    // when any of them did not come, or came past the limit.
    std::optional<std::vector<SelectionFormat>> readAll(const QDeadlineTimer& deadline, qsizetype limit);

private:
    explicit Connection(xcb_connection_t* c) : m_c(c) {}

    // One read's bounds, and the wait that lets the program's events run meanwhile.
    struct Bounds {
        explicit Bounds(const QDeadlineTimer& d, qsizetype l) : deadline(d), limit(l), wait(d) { busy.start(); }
        QDeadlineTimer deadline;
        qsizetype limit;
        ResponsiveWait wait;
        QElapsedTimer busy;
        bool over = false; // the deadline or the limit was reached, or the program is ending
        bool tooMuch = false;
        void overLimit()
        {
            over = true;
            tooMuch = true;
        }
    };

    struct Answer {
        enum class Kind { NoAnswer, Refused, Data };
        Kind kind = Kind::NoAnswer;
        xcb_atom_t type = XCB_NONE;
        uint8_t format = 0;
        QByteArray data;
    };
    struct Property {
        xcb_atom_t type = XCB_NONE; // XCB_NONE: there is no such property
        uint8_t format = 0;
        qsizetype size = 0;
    };

    Answer request(xcb_window_t window, xcb_atom_t target, Bounds& bounds);
    std::optional<Property> takeProperty(xcb_window_t window, xcb_atom_t property, QByteArray& into, Bounds& bounds);
    template <class Match>
    Reply<xcb_generic_event_t> waitFor(Match match, const QDeadlineTimer& until, Bounds& bounds);
    TextEncoding encodingOf(xcb_atom_t type, int target) const;

    xcb_connection_t* m_c;
    xcb_window_t m_root = XCB_NONE;
    xcb_atom_t m_clipboard = XCB_NONE;
    xcb_atom_t m_targets = XCB_NONE;
    xcb_atom_t m_incr = XCB_NONE;
    xcb_atom_t m_property = XCB_NONE;
    xcb_atom_t m_textTargets[kTextTargetCount] = {};
};

std::unique_ptr<X11Clipboard::Connection> X11Clipboard::Connection::open(const QByteArray& displayName,
                                                                         const char* selection)
{
    int screen = 0;
    xcb_connection_t* c = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screen);
    std::unique_ptr<Connection> connection(new Connection(c));
    if (connection->broken())
        return nullptr;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screen && it.rem > 0; ++i)
        xcb_screen_next(&it);
    if (it.rem == 0)
        return nullptr;
    connection->m_root = it.data->root;

    constexpr int kAtomCount = 4 + kTextTargetCount;
    const char* names[kAtomCount] = {selection, "TARGETS", "INCR", "TOVRIN_SELECTION"};
    for (int i = 0; i < kTextTargetCount; ++i)
        names[4 + i] = kTextTargets[i].name;
    xcb_intern_atom_cookie_t cookies[kAtomCount];
    for (int i = 0; i < kAtomCount; ++i)
        cookies[i] = xcb_intern_atom(c, 0, uint16_t(std::strlen(names[i])), names[i]);
    xcb_atom_t atoms[kAtomCount];
    for (int i = 0; i < kAtomCount; ++i) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : XCB_NONE;
    }
    if (std::find(std::begin(atoms), std::end(atoms), xcb_atom_t(XCB_NONE)) != std::end(atoms))
        return nullptr;
    connection->m_clipboard = atoms[0];
    connection->m_targets = atoms[1];
    connection->m_incr = atoms[2];
    connection->m_property = atoms[3];
    std::copy(atoms + 4, std::end(atoms), connection->m_textTargets);
    return connection;
}

std::optional<xcb_window_t> X11Clipboard::Connection::owner()
{
    Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_clipboard), nullptr));
    if (!reply)
        return std::nullopt;
    return reply->owner;
}

namespace {

// A window for one read: answers meant for an earlier read, which gave up on them,
// go to a window that no longer exists.
class ReadWindow {
public:
    ReadWindow(xcb_connection_t* c, xcb_window_t root) : m_c(c), m_window(xcb_generate_id(c))
    {
        while (xcb_generic_event_t* stale = xcb_poll_for_event(m_c))
            std::free(stale);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    }
    ~ReadWindow()
    {
        xcb_destroy_window(m_c, m_window);
        xcb_flush(m_c);
    }
    ReadWindow(const ReadWindow&) = delete;
    ReadWindow& operator=(const ReadWindow&) = delete;
    xcb_window_t id() const { return m_window; }

private:
    xcb_connection_t* m_c;
    xcb_window_t m_window;
};

// Targets that ask the owner to do something or describe the selection itself,
// rather than hand over its data.
bool describesSelection(xcb_connection_t* c, xcb_atom_t target)
{
    Reply<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, target), nullptr));
    if (!reply)
        return true;
    const QByteArray name(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
    static const QByteArray kNotData[] = {"TARGETS", "MULTIPLE", "TIMESTAMP", "DELETE", "INSERT_SELECTION",
                                          "INSERT_PROPERTY", "SAVE_TARGETS", "_GTK_TEXT_BUFFER_CONTENTS"};
    return std::find(std::begin(kNotData), std::end(kNotData), name) != std::end(kNotData);
}

} // namespace

std::optional<std::vector<SelectionFormat>> X11Clipboard::Connection::readAll(const QDeadlineTimer& deadline,
                                                                                qsizetype limit)
{
    Bounds bounds(deadline, limit);
    const ReadWindow window(m_c, m_root);
    const Answer listed = request(window.id(), m_targets, bounds);
    if (listed.kind == Answer::Kind::NoAnswer)
        return std::nullopt;
    std::vector<SelectionFormat> formats;
    if (listed.kind == Answer::Kind::Refused || listed.format != 32)
        return formats;
    std::vector<xcb_atom_t> targets(size_t(listed.data.size()) / sizeof(xcb_atom_t));
    std::memcpy(targets.data(), listed.data.constData(), targets.size() * sizeof(xcb_atom_t));
    for (const xcb_atom_t target : targets) {
        if (target == XCB_NONE || describesSelection(m_c, target))
            continue;
        Answer answer = request(window.id(), target, bounds);
        if (answer.kind == Answer::Kind::NoAnswer)
            return std::nullopt;
        // The limit holds for all formats together: each one may take what is left.
        bounds.limit -= answer.data.size();
        // Listed but refused: the owner has nothing to give back for it either.
        if (answer.kind == Answer::Kind::Data)
            formats.push_back({target, answer.type, answer.format, std::move(answer.data)});
    }
    return formats;
}

ClipboardRead X11Clipboard::Connection::readText(const QDeadlineTimer& deadline, qsizetype limit)
{
    Bounds bounds(deadline, limit);
    const ReadWindow readWindow(m_c, m_root);
    const xcb_window_t window = readWindow.id();

    const Answer formats = request(window, m_targets, bounds);
    if (formats.kind == Answer::Kind::NoAnswer)
        return unavailable();
    // An owner that cannot say what it holds offers no text.
    if (formats.kind == Answer::Kind::Refused || formats.format != 32)
        return noText();
    const auto* offered = reinterpret_cast<const xcb_atom_t*>(formats.data.constData());
    const auto* offeredEnd = offered + formats.data.size() / qsizetype(sizeof(xcb_atom_t));
    int best = -1;
    for (int i = 0; i < kTextTargetCount && best < 0; ++i) {
        if (std::find(offered, offeredEnd, m_textTargets[i]) != offeredEnd)
            best = i;
    }
    if (best < 0)
        return noText();

    Answer text = request(window, m_textTargets[best], bounds);
    if (bounds.tooMuch)
        return {ClipboardRead::Status::Unavailable, {}, true};
    // Listed as text but refused, not answered in time, or not bytes at all.
    if (text.kind != Answer::Kind::Data || text.format != 8)
        return unavailable();
    std::optional<QString> decoded = x11::decodeSelectionText(encodingOf(text.type, best), std::move(text.data));
    if (!decoded)
        return unavailable();
    return {ClipboardRead::Status::Text, std::move(*decoded)};
}

X11Clipboard::Connection::Answer X11Clipboard::Connection::request(xcb_window_t window, xcb_atom_t target,
                                                                   Bounds& bounds)
{
    const auto answerLimit = [&bounds] {
        return std::min(QDeadlineTimer(kRequestTimeoutMs, Qt::PreciseTimer), bounds.deadline);
    };
    xcb_convert_selection(m_c, window, m_clipboard, target, m_property, XCB_CURRENT_TIME);
    xcb_flush(m_c);
    const Reply<xcb_generic_event_t> event = waitFor(
        [&](const xcb_generic_event_t* e) {
            if ((e->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                return false;
            const auto* n = reinterpret_cast<const xcb_selection_notify_event_t*>(e);
            return n->requestor == window && n->selection == m_clipboard && n->target == target;
        },
        answerLimit(), bounds);
    Answer answer;
    if (!event)
        return answer;
    const xcb_atom_t property = reinterpret_cast<const xcb_selection_notify_event_t*>(event.get())->property;
    answer.kind = Answer::Kind::Refused;
    if (property == XCB_NONE)
        return answer;
    const std::optional<Property> first = takeProperty(window, property, answer.data, bounds);
    if (!first) {
        answer.kind = Answer::Kind::NoAnswer;
        return answer;
    }
    // Converted, said the owner, but it stored nothing.
    if (first->type == XCB_NONE)
        return answer;
    answer.kind = Answer::Kind::Data;
    answer.type = first->type;
    answer.format = first->format;
    if (first->type != m_incr)
        return answer;

    // Incremental: each piece is stored once the previous one was deleted, and an
    // empty piece ends the text.
    if (first->format == 32 && answer.data.size() >= 4) {
        uint32_t announced = 0;
        std::memcpy(&announced, answer.data.constData(), sizeof announced);
        answer.data.clear();
        // More than a read may take: not worth waiting for.
        if (qint64(announced) > qint64(bounds.limit)) {
            bounds.overLimit();
            answer.kind = Answer::Kind::NoAnswer;
            return answer;
        }
        answer.data.reserve(std::min(qsizetype(announced), kMostReservedBytes));
    } else {
        answer.data.clear();
    }
    answer.kind = Answer::Kind::NoAnswer;
    for (;;) {
        const Reply<xcb_generic_event_t> stored = waitFor(
            [&](const xcb_generic_event_t* e) {
                if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto* n = reinterpret_cast<const xcb_property_notify_event_t*>(e);
                return n->window == window && n->atom == property && n->state == XCB_PROPERTY_NEW_VALUE;
            },
            answerLimit(), bounds);
        if (!stored)
            return answer;
        const std::optional<Property> piece = takeProperty(window, property, answer.data, bounds);
        if (!piece)
            return answer;
        // The notice of a piece already taken (or of the INCR announcement itself).
        if (piece->type == XCB_NONE)
            continue;
        answer.type = piece->type;
        answer.format = piece->format;
        if (piece->size == 0) {
            answer.kind = Answer::Kind::Data;
            return answer;
        }
    }
}

// Appends what the property holds now to `into` and deletes it (for an incremental
// transfer, the owner's sign to store the next piece). Nothing once the read is over its
// bounds: an owner may keep adding to the property while it is read.
std::optional<X11Clipboard::Connection::Property>
X11Clipboard::Connection::takeProperty(xcb_window_t window, xcb_atom_t property, QByteArray& into, Bounds& bounds)
{
    Property taken;
    uint32_t offset = 0;
    qint64 whole = -1; // the property's size as first seen
    for (;;) {
        if (into.size() > bounds.limit)
            bounds.overLimit();
        if (bounds.over || bounds.deadline.hasExpired()) {
            bounds.over = true;
            return std::nullopt;
        }
        if (bounds.busy.elapsed() >= kLongestBusyMs) {
            if (bounds.wait.letEventsRun() != ResponsiveWait::End::Woken) {
                bounds.over = true;
                return std::nullopt;
            }
            bounds.busy.restart();
        }
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, offset, kUnitsPerRead),
            nullptr));
        if (!reply)
            return std::nullopt;
        taken.type = reply->type;
        taken.format = reply->format;
        const int size = xcb_get_property_value_length(reply.get());
        // An owner that changes the text while it is read hands over no text at all.
        if (whole < 0)
            whole = qint64(size) + reply->bytes_after;
        else if (qint64(taken.size) + size + reply->bytes_after != whole)
            return std::nullopt;
        appendGrowing(into, static_cast<const char*>(xcb_get_property_value(reply.get())), size);
        taken.size += size;
        if (into.size() > bounds.limit) {
            bounds.overLimit();
            return std::nullopt;
        }
        if (reply->bytes_after == 0 || size == 0)
            break;
        offset += uint32_t(size) / 4;
    }
    if (taken.type != XCB_NONE)
        xcb_delete_property(m_c, window, property);
    xcb_flush(m_c);
    return taken;
}

// The first event `match` accepts, or nothing once `until` has passed (or the display
// went away, or the program is ending). Other events are dropped: on this connection
// they can only concern reads that are over. The program's events run meanwhile.
template <class Match>
Reply<xcb_generic_event_t> X11Clipboard::Connection::waitFor(Match match, const QDeadlineTimer& until,
                                                            Bounds& bounds)
{
    QSocketNotifier readable(xcb_get_file_descriptor(m_c), QSocketNotifier::Read);
    for (;;) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(m_c)) {
            Reply<xcb_generic_event_t> event(e);
            if (match(e))
                return event;
        }
        if (broken() || bounds.over || until.hasExpired())
            return nullptr;
        // The whole read's deadline is later than `until`, which ends this wait alone.
        ResponsiveWait step(until);
        QObject::connect(&readable, &QSocketNotifier::activated, [&step] { step.wake(); });
        const ResponsiveWait::End end = step.run();
        QObject::disconnect(&readable, nullptr, nullptr, nullptr);
        if (end == ResponsiveWait::End::Abandoned) {
            bounds.over = true;
            return nullptr;
        }
        bounds.busy.restart();
    }
}

TextEncoding X11Clipboard::Connection::encodingOf(xcb_atom_t type, int target) const
{
    for (int i = 0; i < kTextTargetCount; ++i) {
        // TEXT and plain text say nothing about an encoding as a type.
        const bool saysEncoding = std::strcmp(kTextTargets[i].name, "TEXT") != 0
                                  && std::strcmp(kTextTargets[i].name, "text/plain") != 0;
        if (m_textTargets[i] == type && saysEncoding)
            return kTextTargets[i].encoding;
    }
    return kTextTargets[target].encoding;
}

X11Clipboard::X11Clipboard(QByteArray displayName, xcb_connection_t* qtConnection, Selection selection)
    : m_displayName(std::move(displayName))
    , m_qtConnection(qtConnection)
    , m_selection(selection)
    , m_qt(QtClipboard::Nothing::NoText, selection == Selection::Primary ? QClipboard::Selection : QClipboard::Clipboard)
    , m_readLimit(clipboardReadLimit())
{
}

X11Clipboard::~X11Clipboard() = default;

std::optional<uint32_t> X11Clipboard::owner()
{
    if (!m_connection || m_connection->broken())
        m_connection = Connection::open(m_displayName, m_selection == Selection::Primary ? "PRIMARY" : "CLIPBOARD");
    std::optional<xcb_window_t> owner = m_connection ? m_connection->owner() : std::nullopt;
    if (!owner)
        m_connection.reset();
    return owner;
}

bool X11Clipboard::ownedByProgram(uint32_t owner) const
{
    // Qt holds the program's own text and answers for it from the main thread that a
    // read occupies, so only Qt can hand it over.
    const xcb_setup_t* qt = xcb_get_setup(m_qtConnection);
    return (owner & ~qt->resource_id_mask) == qt->resource_id_base;
}

ClipboardRead X11Clipboard::read()
{
    const QDeadlineTimer deadline(kReadDeadlineMs, Qt::PreciseTimer);
    const BusyGuard guard(m_busy);
    // Asking again within moments would find the earlier read still waiting.
    if (!guard.taken())
        return {ClipboardRead::Status::Unavailable, {}, true};
    const std::optional<xcb_window_t> owner = this->owner();
    if (!owner)
        return unavailable();
    if (*owner == XCB_NONE)
        return noText();
    if (ownedByProgram(*owner))
        return m_qt.read();
    return m_connection->readText(deadline, m_readLimit);
}

std::optional<SelectionSnapshot> X11Clipboard::readAllFormats()
{
    const QDeadlineTimer deadline(kReadDeadlineMs, Qt::PreciseTimer);
    const BusyGuard guard(m_busy);
    if (!guard.taken())
        return std::nullopt;
    const std::optional<xcb_window_t> owner = this->owner();
    if (!owner)
        return std::nullopt;
    SelectionSnapshot snapshot;
    if (*owner == XCB_NONE)
        return snapshot;
    if (ownedByProgram(*owner)) {
        snapshot.owner = SelectionSnapshot::Owner::Program;
        return snapshot;
    }
    std::optional<std::vector<SelectionFormat>> formats = m_connection->readAll(deadline, m_readLimit);
    if (!formats)
        return std::nullopt;
    snapshot.owner = SelectionSnapshot::Owner::Other;
    snapshot.formats = std::move(*formats);
    return snapshot;
}

bool X11Clipboard::setText(const QString& text)
{
    return m_qt.setText(text);
}

bool X11Clipboard::setUtf8Text(const QByteArray& utf8)
{
    return m_qt.setUtf8Text(utf8);
}

} // namespace platform
