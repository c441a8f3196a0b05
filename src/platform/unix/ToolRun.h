#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

struct ToolResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a desktop tool to its end, or kills it at the deadline (then nothing). With
// `input` its output is not kept: a tool that leaves a copy of itself behind to serve
// (wl-copy) must not hold our pipes open.
std::optional<ToolResult> runTool(const QString& program, const QStringList& arguments, const QDeadlineTimer& deadline,
                            const QByteArray* input = nullptr);

} // namespace platform
