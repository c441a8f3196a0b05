#include "platform/x11/X11SelectionPaster.h"

#include "platform/x11/XcbReply.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace platform {

namespace {

using x11::Reply;

constexpr uint32_t kControlL = 0xFFE3;
constexpr uint32_t kLatinV = 0x0076;
constexpr int kPollMs = 10;

// The program's own clipboard, which Qt holds: copied through Qt, given back through Qt.
std::unique_ptr<QMimeData> copyOfProgramClipboard()
{
    auto copy = std::make_unique<QMimeData>();
    if (const QMimeData* now = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard)) {
        for (const QString& format : now->formats())
            copy->setData(format, now->data(format));
    }
    return copy;
}

} // namespace

X11SelectionPaster::X11SelectionPaster(QByteArray displayName, xcb_connection_t* qtConnection)
    : m_qtConnection(qtConnection)
    , m_primary(displayName, qtConnection, X11Clipboard::Selection::Primary)
    , m_clipboard(displayName, qtConnection, X11Clipboard::Selection::Clipboard)
    , m_displayName(std::move(displayName))
{
    m_poll.setInterval(kPollMs);
    QObject::connect(&m_poll, &QTimer::timeout, [this] { step(); });
}

X11SelectionPaster::~X11SelectionPaster() = default;

ClipboardRead X11SelectionPaster::readSelection()
{
    m_selectionWindow = 0;
    // Our own connection, opened on the first use (and again after the display broke).
    if (!m_owner || !m_owner->opened()) {
        m_owner = std::make_unique<x11::SelectionOwner>(m_displayName);
        m_activeWindowAtom = m_owner->opened() ? m_owner->atom("_NET_ACTIVE_WINDOW") : 0;
    }
    const std::optional<uint32_t> owner = m_primary.owner();
    if (m_owner->opened() && owner && *owner != XCB_NONE) {
        // Only into the window that has the focus now, and only when its program holds
        // the selection: text selected elsewhere is not what the user looks at.
        const uint32_t focused = focusedWindow();
        if (focused != XCB_NONE && sameProgram(*owner, focused)
            && !sameProgram(*owner, xcb_get_setup(m_qtConnection)->resource_id_base))
            m_selectionWindow = focused;
    }
    return m_primary.read();
}

void X11SelectionPaster::pasteOver(const QString& text, std::function<void(Outcome)> done)
{
    if (m_phase != Phase::Idle || m_selectionWindow == 0) {
        done(Outcome::NotSent);
        return;
    }
    // Nothing of the user's clipboard may be lost: without a whole copy, no paste.
    m_before = m_clipboard.readAllFormats();
    if (!m_before) {
        done(Outcome::NotSent);
        return;
    }
    if (m_before->owner == SelectionSnapshot::Owner::Program)
        m_programBefore = copyOfProgramClipboard();
    m_text = text;
    m_done = std::move(done);
    m_phase = Phase::KeysDown;
    m_clock.start();
    m_poll.start();
    step();
}

void X11SelectionPaster::step()
{
    if (m_owner)
        m_owner->dispatchPending();
    switch (m_phase) {
    case Phase::Idle:
        m_poll.stop();
        return;
    case Phase::KeysDown:
        // A held Alt or Super would turn Ctrl+V into another command.
        if (!keysDown())
            pasteNow();
        else if (m_clock.elapsed() >= kKeysUpWaitMs)
            finish(Outcome::NotSent);
        return;
    case Phase::Pasting:
        if (m_taken || !m_owner->owns() || m_clock.elapsed() >= kTakeWaitMs) {
            giveClipboardBack();
            finish(Outcome::Pasted);
        }
        return;
    }
}

void X11SelectionPaster::pasteNow()
{
    if (focusedWindow() != m_selectionWindow) {
        finish(Outcome::NotSent);
        return;
    }
    m_taken = false;
    m_owner->onDataTaken = [this] { m_taken = true; };
    if (!m_owner->own(m_owner->textFormats(m_text)) || !sendPasteKey()) {
        finish(Outcome::NotSent);
        return;
    }
    m_phase = Phase::Pasting;
    m_clock.restart();
}

void X11SelectionPaster::giveClipboardBack()
{
    m_owner->onDataTaken = nullptr;
    // Another program took the clipboard meanwhile: what it holds is newer than ours.
    if (!m_owner->owns())
        return;
    switch (m_before->owner) {
    case SelectionSnapshot::Owner::Nobody:
        m_owner->release();
        break;
    case SelectionSnapshot::Owner::Program:
        QGuiApplication::clipboard()->setMimeData(m_programBefore.release(), QClipboard::Clipboard);
        break;
    case SelectionSnapshot::Owner::Other:
        m_owner->own(std::move(m_before->formats));
        break;
    }
}

void X11SelectionPaster::finish(Outcome outcome)
{
    m_poll.stop();
    m_phase = Phase::Idle;
    m_before.reset();
    m_programBefore.reset();
    m_text.clear();
    m_selectionWindow = 0;
    if (auto done = std::move(m_done))
        done(outcome);
}

// The window that gets the keys: the window manager's active window, or without one
// the server's input focus.
uint32_t X11SelectionPaster::focusedWindow()
{
    xcb_connection_t* c = m_owner->connection();
    Reply<xcb_get_property_reply_t> active(xcb_get_property_reply(
        c, xcb_get_property(c, 0, m_owner->root(), m_activeWindowAtom, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (active && active->format == 32 && xcb_get_property_value_length(active.get()) == 4) {
        const uint32_t window = *static_cast<const uint32_t*>(xcb_get_property_value(active.get()));
        if (window != XCB_NONE)
            return window;
    }
    Reply<xcb_get_input_focus_reply_t> focus(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    // None and PointerRoot name no window.
    return focus && focus->focus > XCB_INPUT_FOCUS_POINTER_ROOT ? focus->focus : XCB_NONE;
}

bool X11SelectionPaster::keysDown()
{
    xcb_connection_t* c = m_owner->connection();
    Reply<xcb_query_keymap_reply_t> keymap(xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
    if (!keymap)
        return true;
    return std::any_of(std::begin(keymap->keys), std::end(keymap->keys), [](uint8_t bits) { return bits != 0; });
}

bool X11SelectionPaster::sendPasteKey()
{
    xcb_connection_t* c = m_owner->connection();
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(c, &xcb_test_id);
    if (!xtest || !xtest->present)
        return false;
    const xcb_setup_t* setup = xcb_get_setup(c);
    const uint8_t count = uint8_t(setup->max_keycode - setup->min_keycode + 1);
    Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr));
    if (!mapping || mapping->keysyms_per_keycode == 0)
        return false;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perKey = mapping->keysyms_per_keycode;
    // The key whose first symbol it is (a layout without Latin letters has v further
    // along; programs still read Ctrl on that key as Ctrl+V).
    const auto keyFor = [&](uint32_t keysym) -> uint8_t {
        for (int column = 0; column < perKey; ++column) {
            for (int key = 0; key < count; ++key) {
                if (syms[key * perKey + column] == keysym)
                    return uint8_t(setup->min_keycode + key);
            }
        }
        return 0;
    };
    const uint8_t control = keyFor(kControlL);
    const uint8_t v = keyFor(kLatinV);
    if (control == 0 || v == 0)
        return false;
    const uint8_t steps[][2] = {{XCB_KEY_PRESS, control}, {XCB_KEY_PRESS, v}, {XCB_KEY_RELEASE, v},
                                {XCB_KEY_RELEASE, control}};
    for (const auto& step : steps) {
        const xcb_void_cookie_t cookie =
            xcb_test_fake_input_checked(c, step[0], step[1], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        if (Reply<xcb_generic_error_t> error{xcb_request_check(c, cookie)})
            return false;
    }
    return true;
}

bool X11SelectionPaster::sameProgram(uint32_t a, uint32_t b) const
{
    // Every window a client creates carries its connection's id base.
    const uint32_t mask = xcb_get_setup(m_owner->connection())->resource_id_mask;
    return (a & ~mask) == (b & ~mask);
}

} // namespace platform
