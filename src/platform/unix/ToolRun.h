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
    bool tooMuch = false; // it wrote more than it may: nothing else is set
};

// Runs a desktop tool to its end while the program's events run, or kills it at the
// deadline, once it has written more than `limit` bytes, or when the program ends:
// then nothing. With `input` its output is not kept: a tool that leaves a copy of
// itself behind to serve (wl-copy) must not hold our pipes open.
std::optional<ToolResult> runTool(const QString& program, const QStringList& arguments, const QDeadlineTimer& deadline,
                                  qsizetype limit, const QByteArray* input = nullptr);

} // namespace platform
