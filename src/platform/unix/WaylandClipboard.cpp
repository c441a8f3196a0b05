#include "platform/unix/WaylandClipboard.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <poll.h>

#include <cstring>
#include <optional>

#include <wayland-client.h>

#include "platform/qt/ResponsiveWait.h"
#include "platform/unix/ReadLimit.h"
#include "platform/unix/ToolRun.h"
#include "platform/x11/SelectionText.h"

namespace platform {

namespace {

using x11::TextEncoding;

// The text types, best first, as the X11 reader ranks them. wl-copy offers every one
// of them for text; X11 programs bridged by XWayland offer their own names.
struct TextType {
    const char* name;
    TextEncoding encoding;
};
constexpr TextType kTextTypes[] = {
    {"text/plain;charset=utf-8", TextEncoding::Utf8},
    {"UTF8_STRING", TextEncoding::Utf8},
    {"text/plain;charset=UTF-8", TextEncoding::Utf8},
    {"COMPOUND_TEXT", TextEncoding::CompoundText},
    {"STRING", TextEncoding::Latin1},
    {"TEXT", TextEncoding::Latin1},
    {"text/plain", TextEncoding::Utf8},
};

ClipboardRead unavailable()
{
    return {ClipboardRead::Status::Unavailable, {}};
}

ClipboardRead noText()
{
    return {ClipboardRead::Status::NoText, {}};
}

} // namespace

WaylandClipboard::WaylandClipboard() : WaylandClipboard(Tools{}, Limits{}) {}

WaylandClipboard::WaylandClipboard(Tools tools) : WaylandClipboard(std::move(tools), Limits{}) {}

WaylandClipboard::WaylandClipboard(Tools tools, Limits limits)
    : m_tools(std::move(tools)), m_limits(limits)
{
    if (!m_tools.compositorAnswers)
        m_tools.compositorAnswers = [] { return waylandHasDataControl(); };
    if (m_limits.readBytes <= 0)
        m_limits.readBytes = clipboardReadLimit();
    if (m_tools.selection == Selection::Primary)
        m_selection << QStringLiteral("--primary");
}

ClipboardRead WaylandClipboard::read()
{
    const QDeadlineTimer deadline(m_limits.readDeadlineMs, Qt::PreciseTimer);
    const BusyGuard guard(m_busy);
    // Asking again within moments would find the earlier read still waiting.
    if (!guard.taken())
        return {ClipboardRead::Status::Unavailable, {}, true};
    // A list of types is short; a flood of lines is not one.
    const std::optional<ToolResult> types = runTool(m_tools.paste, m_selection + QStringList{QStringLiteral("--list-types")}, deadline, 1 << 20);
    if (!types || types->tooMuch)
        return unavailable();
    if (types->exitCode != 0) {
        // wl-paste fails alike when nothing is copied and when it cannot reach the
        // compositor: only a compositor that answers us tells an empty clipboard.
        return types->out.isEmpty() && m_tools.compositorAnswers() ? noText() : unavailable();
    }
    const QList<QByteArray> offered = types->out.split('\n');
    const TextType* best = nullptr;
    for (const TextType& type : kTextTypes) {
        if (offered.contains(QByteArray(type.name))) {
            best = &type;
            break;
        }
    }
    if (!best)
        return noText();

    std::optional<ToolResult> text = runTool(m_tools.paste,
                                       m_selection + QStringList{QStringLiteral("--no-newline"), QStringLiteral("--type"), QString::fromLatin1(best->name)},
                                       deadline, m_limits.readBytes);
    if (text && text->tooMuch)
        return {ClipboardRead::Status::Unavailable, {}, true};
    // Listed as text but refused (nothing handed over), failed, or too late.
    if (!text || text->exitCode != 0 || text->out.isEmpty())
        return unavailable();
    std::optional<QString> decoded = x11::decodeSelectionText(best->encoding, std::move(text->out));
    if (!decoded)
        return unavailable();
    return {ClipboardRead::Status::Text, std::move(*decoded)};
}

bool WaylandClipboard::setText(const QString& text)
{
    return setUtf8Text(text.toUtf8());
}

bool WaylandClipboard::setUtf8Text(const QByteArray& bytes)
{
    const QDeadlineTimer deadline(m_limits.writeDeadlineMs, Qt::PreciseTimer);
    const BusyGuard guard(m_busy);
    if (!guard.taken())
        return false;
    // Offered as UTF-8 under every text name programs ask for (wl-copy adds them).
    const std::optional<ToolResult> done = runTool(m_tools.copy, m_selection + QStringList{QStringLiteral("--type"), QStringLiteral("text/plain;charset=utf-8")},
                                             deadline, 0, &bytes);
    return done && done->exitCode == 0;
}

namespace {

// wl_display_roundtrip, but given up after `ms`: a compositor that hangs must not hang
// this program.
bool roundTrip(wl_display* display, int ms)
{
    bool done = false;
    wl_callback* callback = wl_display_sync(display);
    static const wl_callback_listener listener = {
        [](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; },
    };
    wl_callback_add_listener(callback, &listener, &done);
    const QDeadlineTimer deadline(ms);
    while (!done) {
        while (wl_display_prepare_read(display) != 0)
            wl_display_dispatch_pending(display);
        wl_display_flush(display);
        pollfd fd{wl_display_get_fd(display), POLLIN, 0};
        if (::poll(&fd, 1, int(deadline.remainingTime())) <= 0) {
            wl_display_cancel_read(display);
            break;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
            break;
    }
    wl_callback_destroy(callback);
    return done;
}

} // namespace

bool waylandHasDataControl()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    bool found = false;
    wl_registry* registry = wl_display_get_registry(display);
    static const wl_registry_listener listener = {
        [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
            if (std::strcmp(interface, "zwlr_data_control_manager_v1") == 0
                || std::strcmp(interface, "ext_data_control_manager_v1") == 0)
                *static_cast<bool*>(data) = true;
        },
        [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry_add_listener(registry, &listener, &found);
    const bool answered = roundTrip(display, kCompositorAnswerMs);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return answered && found;
}

} // namespace platform
