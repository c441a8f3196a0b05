#include "app/Application.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

#include "Version.h"
#include "app/StartUp.h"
#include "core/ProgramEnd.h"
#include "core/SingleInstance.h"
#include "core/WindowHolder.h"
#include "platform/Services.h"
#include "ui/main/MainWindow.h"

namespace {

// An argument is echoed in the error line; control characters would break the line.
QString printable(const QString& argument)
{
    QString out;
    for (const QChar c : argument) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString usage(const QString& program)
{
    return QStringLiteral(
               "Usage: %1 [--help | --version]\n"
               "%2: UPPERCASE, lowercase and rAnDOm,\n"
               "in a window or from the icon in the notification area.\n"
               "Started while it already runs, %3 shows the running copy's main window.\n"
               "\n"
               "  --help     show this help and exit\n"
               "  --version  show the version and exit\n")
        .arg(program, QString::fromLatin1(version::kDescription), QString::fromLatin1(version::kTitle));
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, const QString& program)
{
    CommandLine result;
    if (arguments.isEmpty())
        return result;
    result.run = false;
    if (arguments.size() == 1 && arguments.first() == QLatin1String("--version")) {
        result.output = QStringLiteral("%1 %2\n").arg(QString::fromLatin1(version::kTitle),
                                                      QString::fromLatin1(version::kString));
        return result;
    }
    if (arguments.size() == 1 && arguments.first() == QLatin1String("--help")) {
        result.output = usage(program);
        return result;
    }
    const bool firstKnown = arguments.first() == QLatin1String("--version")
        || arguments.first() == QLatin1String("--help");
    const QString& offending = firstKnown ? arguments.at(1) : arguments.first();
    result.toStdErr = true;
    result.exitStatus = 2;
    result.output = QStringLiteral("%1: unexpected argument '%2'; try '%1 --help'\n").arg(program, printable(offending));
    return result;
}

QByteArray preferredPlatform(const DisplayEnvironment& env)
{
    // Qt treats an empty QT_QPA_PLATFORM as unset; so do we.
    if (!env.qpaPlatform.isEmpty())
        return {};
    const bool wayland = !env.waylandDisplay.isEmpty() || env.sessionType == "wayland";
    if (wayland && !env.xDisplay.isEmpty())
        return QByteArrayLiteral("xcb");
    return {};
}

bool prepareTovrin(int argc, char* argv[], int& status)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString program = argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName() : QString();
    if (program.isEmpty())
        program = QStringLiteral("tovrin");

    const CommandLine command = parseCommandLine(arguments, program);
    if (!command.run) {
        std::FILE* stream = command.toStdErr ? stderr : stdout;
        std::fputs(command.output.toLocal8Bit().constData(), stream);
        std::fflush(stream);
        status = command.exitStatus;
        return false;
    }

    const DisplayEnvironment env{qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"),
                                 qgetenv("XDG_SESSION_TYPE")};
    const QByteArray platform = preferredPlatform(env);
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    return true;
}

int runTovrin(QApplication& app)
{
    QApplication::setApplicationName(QString::fromLatin1(version::kTitle));
    // No display name: on X11 Qt would append it to every caption ("Options — Tovrin").
    QApplication::setOrganizationName(QString::fromLatin1(version::kCompany));
    QApplication::setApplicationVersion(QString::fromLatin1(version::kString));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));

    SingleInstance instance(SingleInstance::defaultSocketPath(QString::fromLatin1(kAppId)));
    switch (instance.check()) {
    case SingleInstance::Outcome::Forwarded:
        return 0;
    case SingleInstance::Outcome::NoAnswer:
        std::fputs("tovrin: a running copy of Tovrin does not answer\n", stderr);
        return 1;
    case SingleInstance::Outcome::First:
        break;
    }
    QObject::connect(&instance, &SingleInstance::showRequested, [] { windows().get<MainWindow>().showMainWindow(); });

    // The program lives while any of its windows is loaded, visible or not.
    QApplication::setQuitOnLastWindowClosed(false);
    windows().onLastUnloaded = [] { endProgram(); };

    platform::installNativeServices();
    connectProgramWindows();
    startProgram();
    // Only now: the window comes up sooner, and a copy started in between waits for this.
    instance.listen();
    const int status = app.exec();

    windows().onLastUnloaded = nullptr;
    windows().destroyAll();
    platform::resetServices();
    return status;
}
