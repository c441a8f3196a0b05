#include "platform/unix/ToolRun.h"

#include <QProcess>

#include "platform/qt/ResponsiveWait.h"

namespace platform {

std::optional<ToolResult> runTool(const QString& program, const QStringList& arguments, const QDeadlineTimer& deadline,
                                  qsizetype limit, const QByteArray* input)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    // Its messages are not read: their wording is the tool's own, and a flood of them
    // must not fill this program's memory.
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!input)
        process.setStandardInputFile(QProcess::nullDevice());
    else
        process.setStandardOutputFile(QProcess::nullDevice());
    ResponsiveWait wait(deadline);
    ToolResult done;
    bool tooMuch = false;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, [&] {
        done.out += process.readAllStandardOutput();
        if (done.out.size() > limit) {
            tooMuch = true;
            wait.wake();
        }
    });
    QObject::connect(&process, &QProcess::finished, [&] { wait.wake(); });
    QObject::connect(&process, &QProcess::errorOccurred, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            wait.wake();
    });
    process.start();
    if (input) {
        process.write(*input);
        process.closeWriteChannel();
    }
    while (process.state() != QProcess::NotRunning && !tooMuch) {
        if (wait.run() != ResponsiveWait::End::Woken)
            break;
    }
    const bool cutShort = process.state() != QProcess::NotRunning;
    if (cutShort) {
        process.kill();
        process.waitForFinished(1000);
    } else if (!input) {
        done.out += process.readAllStandardOutput();
    }
    if (tooMuch || done.out.size() > limit)
        return ToolResult{-1, {}, true};
    if (cutShort || process.error() == QProcess::FailedToStart || process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    done.exitCode = process.exitCode();
    return done;
}

} // namespace platform
