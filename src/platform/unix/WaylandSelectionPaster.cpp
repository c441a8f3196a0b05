#include "platform/unix/WaylandSelectionPaster.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include "platform/unix/ToolRun.h"

namespace platform {

namespace {

// A list of types or a window tree is short; a flood of lines is not one.
constexpr qsizetype kListLimit = 1 << 20;

QDeadlineTimer toolDeadline()
{
    return QDeadlineTimer(WaylandSelectionPaster::kToolDeadlineMs, Qt::PreciseTimer);
}

std::optional<qint64> focusedNode(const QJsonObject& node)
{
    if (node.value(QStringLiteral("focused")).toBool())
        return node.value(QStringLiteral("id")).toInteger();
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue child : node.value(QLatin1String(children)).toArray()) {
            if (std::optional<qint64> id = focusedNode(child.toObject()))
                return id;
        }
    }
    return std::nullopt;
}

// sway's id of the window (or workspace) that has the focus.
std::optional<qint64> focusedWindow()
{
    const std::optional<ToolResult> tree =
        runTool(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree"), QStringLiteral("-r")},
                toolDeadline(), kListLimit);
    if (!tree || tree->exitCode != 0)
        return std::nullopt;
    return focusedNode(QJsonDocument::fromJson(tree->out).object());
}

} // namespace

WaylandSelectionPaster::WaylandSelectionPaster()
    : m_primary(WaylandClipboard::Tools{.selection = WaylandClipboard::Selection::Primary})
    , m_watch(std::make_unique<QProcess>())
{
    // The command reads nothing of the selection: a line is all that is wanted.
    m_watch->setProgram(QStringLiteral("wl-paste"));
    m_watch->setArguments({QStringLiteral("--primary"), QStringLiteral("--watch"), QStringLiteral("echo")});
    m_watch->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(m_watch.get(), &QProcess::readyReadStandardOutput, m_watch.get(), [this] {
        m_watch->readAllStandardOutput();
        selectionChanged();
    });
    m_watch->start();
}

WaylandSelectionPaster::~WaylandSelectionPaster()
{
    m_watch->disconnect();
    m_watch->kill();
    m_watch->waitForFinished(1000);
}

void WaylandSelectionPaster::selectionChanged()
{
    // Asking sway runs the program's events: a change told meanwhile is asked about
    // once more afterwards, not inside.
    if (m_askingFocus) {
        m_changedMeanwhile = true;
        return;
    }
    m_askingFocus = true;
    do {
        m_changedMeanwhile = false;
        m_focusAtLastChange = focusedWindow();
    } while (m_changedMeanwhile);
    m_askingFocus = false;
}

ClipboardRead WaylandSelectionPaster::readSelection()
{
    const std::optional<qint64> focus = focusedWindow();
    // A selection made in another window, or before the watch began, is not pasted over.
    m_selectionWindow = focus && focus == m_focusAtLastChange ? focus : std::nullopt;
    return m_primary.read();
}

void WaylandSelectionPaster::pasteOver(const QString& text, std::function<void(Outcome)> done)
{
    done(paste(text));
}

SelectionPaster::Outcome WaylandSelectionPaster::paste(const QString& text)
{
    const std::optional<qint64> window = std::exchange(m_selectionWindow, std::nullopt);
    if (!window || text.size() > kMostTypedUnits || focusedWindow() != window)
        return Outcome::NotSent;
    // Typed through the virtual keyboard rather than pasted with Ctrl+V: sway (1.7)
    // does not pass a virtual keyboard's modifiers on to GTK 3 programs, which read
    // Ctrl+V as a plain v. Typing over the selection replaces it, and the clipboard is
    // never touched.
    const QByteArray bytes = text.toUtf8();
    const QDeadlineTimer deadline(kToolDeadlineMs + text.size() * kTypingMsPerUnit, Qt::PreciseTimer);
    const std::optional<ToolResult> typed = runTool(QStringLiteral("wtype"), {QStringLiteral("-")}, deadline, 0, &bytes);
    return typed && typed->exitCode == 0 ? Outcome::Pasted : Outcome::NotSent;
}

bool waylandCanPaste()
{
    for (const char* tool : {"wl-paste", "wtype", "swaymsg"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    }
    return !qEnvironmentVariableIsEmpty("SWAYSOCK") && waylandHasDataControl();
}

} // namespace platform
