#include "platform/unix/ToolRun.h"

#include <QProcess>

#include <algorithm>

namespace platform {

std::optional<ToolResult> runTool(const QString& program, const QStringList& arguments, const QDeadlineTimer& deadline,
                            const QByteArray* input)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!input)
        process.setStandardInputFile(QProcess::nullDevice());
    else {
        // wl-copy leaves a copy of itself to serve the clipboard; it must not hold
        // this process's pipes open.
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
    }
    process.start();
    if (!process.waitForStarted(int(deadline.remainingTime())))
        return std::nullopt;
    if (input) {
        process.write(*input);
        process.closeWriteChannel();
    }
    if (!process.waitForFinished(int(std::max<qint64>(deadline.remainingTime(), 0)))) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    ToolResult done;
    done.exitCode = process.exitCode();
    done.out = input ? QByteArray() : process.readAllStandardOutput();
    done.err = input ? QByteArray() : process.readAllStandardError();
    return done;
}

} // namespace platform
