#include "platform/unix/WaylandSelectionPaster.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "platform/unix/ReadLimit.h"
#include "platform/unix/ToolRun.h"

namespace platform {

namespace {

const QString kPaste = QStringLiteral("wl-paste");
const QString kCopy = QStringLiteral("wl-copy");
const QString kType = QStringLiteral("text/plain;charset=utf-8");
// wl-copy --clear reads nothing; its output must still not hold our pipes open.
const QByteArray kNoInput;

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

// What the clipboard held, in the one format wl-copy can give back: a picture as a
// picture, a text as UTF-8 text, else its first format. Empty type: it held nothing.
struct KeptFormat {
    QString type;
    QByteArray data;
};

std::optional<KeptFormat> keepClipboard()
{
    const std::optional<ToolResult> listed = runTool(kPaste, {QStringLiteral("--list-types")}, toolDeadline(), kListLimit);
    if (!listed || listed->tooMuch)
        return std::nullopt;
    // wl-paste fails alike when nothing is copied and when it cannot reach the
    // compositor, which answered a moment ago when the selection was read.
    if (listed->exitCode != 0)
        return listed->out.isEmpty() ? std::optional<KeptFormat>(KeptFormat{}) : std::nullopt;
    const QStringList types = QString::fromUtf8(listed->out).split(u'\n', Qt::SkipEmptyParts);
    if (types.isEmpty())
        return KeptFormat{};
    QString type = types.first();
    const auto image = std::find_if(types.begin(), types.end(), [](const QString& t) { return t.startsWith(u"image/"); });
    if (image != types.end())
        type = *image;
    else if (types.contains(kType))
        type = kType;
    const std::optional<ToolResult> data = runTool(kPaste, {QStringLiteral("--no-newline"), QStringLiteral("--type"), type},
                                                   toolDeadline(), clipboardReadLimit());
    // What cannot be kept cannot be given back: then nothing is pasted.
    if (!data || data->tooMuch || data->exitCode != 0)
        return std::nullopt;
    return KeptFormat{type, data->out};
}

bool giveBack(const KeptFormat& kept)
{
    const std::optional<ToolResult> done = kept.type.isEmpty()
        ? runTool(kCopy, {QStringLiteral("--clear")}, toolDeadline(), 0, &kNoInput)
        : runTool(kCopy, {QStringLiteral("--type"), kept.type}, toolDeadline(), 0, &kept.data);
    return done && done->exitCode == 0;
}

QStringList offeredTypes()
{
    const std::optional<ToolResult> listed = runTool(kPaste, {QStringLiteral("--list-types")}, toolDeadline(), kListLimit);
    return listed && !listed->tooMuch && listed->exitCode == 0 ? QString::fromUtf8(listed->out).split(u'\n', Qt::SkipEmptyParts)
                                           : QStringList();
}

} // namespace

WaylandSelectionPaster::WaylandSelectionPaster()
    : m_primary(WaylandClipboard::Tools{kPaste, kCopy, {}, WaylandClipboard::Selection::Primary})
{
}

ClipboardRead WaylandSelectionPaster::readSelection()
{
    m_selectionWindow = focusedWindow();
    return m_primary.read();
}

void WaylandSelectionPaster::pasteOver(const QString& text, std::function<void(Outcome)> done)
{
    done(paste(text));
}

SelectionPaster::Outcome WaylandSelectionPaster::paste(const QString& text)
{
    const std::optional<qint64> window = std::exchange(m_selectionWindow, std::nullopt);
    if (!window)
        return Outcome::NotSent;
    const std::optional<KeptFormat> before = keepClipboard();
    if (!before || focusedWindow() != window)
        return Outcome::NotSent;

    // Served once, to the window that pastes: its end says the text was taken.
    QProcess copy;
    copy.setProgram(kCopy);
    copy.setArguments({QStringLiteral("--foreground"), QStringLiteral("--paste-once"), QStringLiteral("--type"), kType});
    copy.setStandardOutputFile(QProcess::nullDevice());
    copy.setStandardErrorFile(QProcess::nullDevice());
    copy.start();
    if (!copy.waitForStarted(kToolDeadlineMs))
        return Outcome::NotSent;
    copy.write(text.toUtf8());
    copy.closeWriteChannel();
    // Listing the formats takes nothing from wl-copy: wait until it offers the text.
    const QStringList typesBefore = offeredTypes();
    const QDeadlineTimer offered(kTakeWaitMs / 4);
    while (!offered.hasExpired() && copy.state() == QProcess::Running && offeredTypes() == typesBefore)
        QThread::msleep(10);

    const std::optional<ToolResult> typed = runTool(
        QStringLiteral("wtype"), {QStringLiteral("-M"), QStringLiteral("ctrl"), QStringLiteral("-k"), QStringLiteral("v"),
                                  QStringLiteral("-m"), QStringLiteral("ctrl")},
        toolDeadline(), kListLimit);
    const bool sent = typed && typed->exitCode == 0;
    if (sent)
        copy.waitForFinished(kTakeWaitMs);
    if (copy.state() != QProcess::NotRunning) {
        copy.kill();
        copy.waitForFinished(kToolDeadlineMs);
    }
    if (!sent)
        return Outcome::NotSent;
    giveBack(*before);
    return Outcome::Pasted;
}

bool waylandCanPaste()
{
    for (const char* tool : {"wl-paste", "wl-copy", "wtype", "swaymsg"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    }
    return !qEnvironmentVariableIsEmpty("SWAYSOCK") && waylandHasDataControl();
}

} // namespace platform
