#include "platform/unix/WaylandClipboard.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <cstring>
#include <optional>

#include <wayland-client.h>

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

WaylandClipboard::WaylandClipboard(QString pasteProgram, QString copyProgram, int readDeadlineMs, int writeDeadlineMs,
                                   Selection selection)
    : m_paste(std::move(pasteProgram))
    , m_copy(std::move(copyProgram))
    , m_readDeadlineMs(readDeadlineMs)
    , m_writeDeadlineMs(writeDeadlineMs)
{
    if (selection == Selection::Primary)
        m_selection << QStringLiteral("--primary");
}

ClipboardRead WaylandClipboard::read()
{
    const QDeadlineTimer deadline(m_readDeadlineMs, Qt::PreciseTimer);
    const std::optional<ToolResult> types =
        runTool(m_paste, m_selection + QStringList{QStringLiteral("--list-types")}, deadline);
    if (!types)
        return unavailable();
    if (types->exitCode != 0) {
        // An empty clipboard; anything else went wrong.
        return types->err.contains("No selection") ? noText() : unavailable();
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

    std::optional<ToolResult> text =
        runTool(m_paste, m_selection + QStringList{QStringLiteral("--no-newline"), QStringLiteral("--type"),
                                               QString::fromLatin1(best->name)},
            deadline);
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
    const QDeadlineTimer deadline(m_writeDeadlineMs, Qt::PreciseTimer);
    const QByteArray bytes = text.toUtf8();
    // Offered as UTF-8 under every text name programs ask for (wl-copy adds them).
    const std::optional<ToolResult> done =
        runTool(m_copy, m_selection + QStringList{QStringLiteral("--type"), QStringLiteral("text/plain;charset=utf-8")},
            deadline, &bytes);
    return done && done->exitCode == 0;
}

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
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return found;
}

} // namespace platform
