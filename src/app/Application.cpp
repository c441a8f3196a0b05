#include "app/Application.h"

#include <QApplication>
#include <QFileInfo>
#include <QMetaObject>

#include <QTimer>

#include <cstdio>
#include <vector>

#include "Version.h"
#include "app/CommandOptions.h"
#include "app/DesktopActions.h"
#include "app/Program.h"
#include "app/StartUp.h"
#include "platform/DisplayProbe.h"
#include "platform/EndRequests.h"
#include "platform/FreedMemory.h"
#include "platform/RunningCopy.h"
#include "ui/widgets/DeferredIconStyle.h"

namespace {

// Started by the session bus for a desktop that asked for the program by its name: the
// request that started it follows on the bus.
constexpr char kBusServiceOption[] = "--dbus-service";
// How long such a start waits for that request before it starts as a plain start would.
constexpr int kBusRequestWaitMs = 2000;

QString usage(const QString& program)
{
    QString actions;
    for (const ActionOption& o : kActionOptions)
        actions += QStringLiteral("  %1%2\n").arg(QString::fromLatin1(o.option), -12).arg(QString::fromLatin1(o.help));
    return QStringLiteral(
               "Usage: %1 [--upper | --lower | --random | --title | --sentence | --swap\n"
               "           [--in-place] | --help | --version]\n"
               "%2: UPPERCASE, lowercase and rAnDOm,\n"
               "in a window or from the icon in the notification area.\n"
               "Started while it already runs, %3 shows the running copy's main window.\n"
               "\n"
               "%4"
               "              as the tray menu does: the running copy converts and this\n"
               "              command ends; with none running, it starts as usual and converts\n"
               "  --in-place  with one of the above: convert the text selected in the\n"
               "              focused program instead and paste it over the selection,\n"
               "              leaving the clipboard as it was (for a keyboard shortcut)\n"
               "  --dbus-service\n"
               "              started by the session bus: do what its first request asks\n"
               "  --help      show this help and exit\n"
               "  --version   show the version and exit\n")
        .arg(program, QString::fromLatin1(version::kDescription), QString::fromLatin1(version::kTitle), actions);
}

void printLine(const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

} // namespace

QString printable(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

CommandLine parseCommandLine(const QStringList& arguments, const QString& program)
{
    CommandLine result;
    if (arguments.isEmpty())
        return result;
    const QString shownProgram = printable(program);
    std::vector<QByteArray> bytes;
    for (const QString& argument : arguments)
        bytes.push_back(argument.toUtf8());
    std::vector<const char*> texts;
    for (const QByteArray& argument : bytes)
        texts.push_back(argument.constData());
    result.action = QString::fromStdString(requestedAction(static_cast<int>(texts.size()), texts.data()));
    if (!result.action.isEmpty())
        return result;
    if (arguments == QStringList{QString::fromLatin1(kBusServiceOption)}) {
        result.waitForRequest = true;
        return result;
    }
    result.run = false;
    if (arguments.size() == 1 && arguments.first() == QLatin1String("--version")) {
        result.output = QStringLiteral("%1 %2\n").arg(QString::fromLatin1(version::kTitle),
                                                      QString::fromLatin1(version::kString));
        return result;
    }
    if (arguments.size() == 1 && arguments.first() == QLatin1String("--help")) {
        result.output = usage(shownProgram);
        return result;
    }
    auto known = [](const QString& argument) {
        return argument == QLatin1String("--version") || argument == QLatin1String("--help")
               || argument == QLatin1String(kInPlaceOption) || argument == QLatin1String(kBusServiceOption)
               || actionOption(argument.toUtf8().constData());
    };
    const QString& offending = known(arguments.first()) && arguments.size() > 1 ? arguments.at(1) : arguments.first();
    result.toStdErr = true;
    result.exitStatus = 2;
    result.output = QStringLiteral("%1: unexpected argument '%2'; try '%1 --help'\n").arg(shownProgram, printable(offending));
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

QString missingDisplay(const DisplayEnvironment& env, const DisplayProbes& probes)
{
    // Qt tries the plugins of a list in turn; with none chosen it opens X11, preceded by
    // Wayland on a Wayland session. Any one that answers will do.
    QList<QByteArray> plugins;
    for (const QByteArray& entry : env.qpaPlatform.split(';')) {
        const qsizetype colon = entry.indexOf(':');
        const QByteArray name = (colon < 0 ? entry : entry.left(colon)).trimmed();
        if (!name.isEmpty())
            plugins << name;
    }
    if (plugins.isEmpty()) {
        if (env.sessionType == "wayland")
            plugins << QByteArrayLiteral("wayland");
        plugins << QByteArrayLiteral("xcb");
    }

    QStringList tried;
    for (const QByteArray& plugin : plugins) {
        if (plugin == "xcb") {
            if (env.xDisplay.isEmpty()) {
                tried << QStringLiteral("DISPLAY is not set");
                continue;
            }
            if (probes.x11(env.xDisplay))
                return {};
            tried << QStringLiteral("cannot open the X display '%1'").arg(printable(QString::fromLocal8Bit(env.xDisplay)));
        } else if (plugin.startsWith("wayland")) {
            // As libwayland finds the compositor.
            const QByteArray name = env.waylandDisplay.isEmpty() ? QByteArrayLiteral("wayland-0") : env.waylandDisplay;
            if (!name.startsWith('/') && env.runtimeDir.isEmpty()) {
                tried << QStringLiteral("XDG_RUNTIME_DIR is not set for the Wayland display");
                continue;
            }
            const QByteArray path = name.startsWith('/') ? name : env.runtimeDir + '/' + name;
            if (probes.wayland(path))
                return {};
            tried << QStringLiteral("no Wayland display at %1").arg(printable(QString::fromLocal8Bit(path)));
        } else {
            // offscreen, minimal, vnc, eglfs, windows...: nothing to reach beforehand.
            return {};
        }
    }
    tried.removeDuplicates();
    return tried.join(QStringLiteral("; "));
}

int runFromCommandLine(int argc, char* argv[])
{
    platform::returnLongTextsWhenFreed();
    int status = 0;
    const std::optional<StartRequest> request = prepareTovrin(argc, argv, status);
    if (!request)
        return status;
    QApplication app(argc, argv);
    return runTovrin(app, *request);
}

std::optional<StartRequest> prepareTovrin(int argc, char* argv[], int& status)
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
        return std::nullopt;
    }
    StartRequest request{printable(program), command.action, command.waitForRequest};

    DisplayEnvironment env{qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"),
                           qgetenv("XDG_SESSION_TYPE"), qgetenv("XDG_RUNTIME_DIR")};
    const QByteArray platform = preferredPlatform(env);
    if (!platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", platform);
        env.qpaPlatform = platform;
    }
    const QString missing = platform::desktopAlwaysThere()
        ? QString()
        : missingDisplay(env, {platform::canOpenX11Display, platform::canReachWaylandDisplay});
    if (!missing.isEmpty()) {
        printLine(QStringLiteral("%1: no display to show windows on (%2)\n").arg(request.program, missing));
        status = 1;
        return std::nullopt;
    }
    return request;
}

int runTovrin(QApplication& app, const StartRequest& request)
{
    QApplication::setApplicationName(QString::fromLatin1(version::kTitle));
    // No display name: on X11 Qt would append it to every caption ("Options — Tovrin").
    QApplication::setOrganizationName(QString::fromLatin1(version::kCompany));
    QApplication::setApplicationVersion(QString::fromLatin1(version::kString));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));

    const std::unique_ptr<platform::RunningCopy> copy
        = platform::makeRunningCopy(QString::fromLatin1(kAppId), desktopActionNames());
    switch (copy->claim(request.action)) {
    case platform::RunningCopy::Claim::HandedOver:
        return 0;
    case platform::RunningCopy::Claim::NoAnswer:
        printLine(QStringLiteral("%1: a running copy of Tovrin does not answer (%2)\n")
                      .arg(request.program, printable(copy->problem())));
        return 1;
    case platform::RunningCopy::Claim::NoRule:
        printLine(QStringLiteral("%1: running without the one-copy rule (%2)\n")
                      .arg(request.program, printable(copy->problem())));
        break;
    case platform::RunningCopy::Claim::Claimed:
        break;
    }
    // The program lives while any of its windows is loaded, visible or not.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setStyle(new DeferredIconStyle(QApplication::style()));
    Program program(platform::makeNativeServices());
    // Started by the bus, the program starts as the request it brings asks: a plain
    // start for Activate, a start and the action for ActivateAction, as from the
    // command line. Whoever started it and asked nothing still gets a plain start.
    bool started = !request.waitForRequest;
    auto startOnce = [&program, &started] {
        if (!started) {
            started = true;
            startProgram(program);
        }
    };
    QObject::connect(copy.get(), &platform::RunningCopy::requested, &app,
                     [&program, &started, startOnce](const QString& action) {
                         const bool first = !started;
                         startOnce();
                         if (!first || !action.isEmpty())
                             runDesktopAction(program, action);
                     });
    QObject::connect(copy.get(), &platform::RunningCopy::endRequested, &app, [&program] { program.end().end(); });
    // A logout, `kill` or Ctrl+C ends the program as Exit does, so that the desktop's
    // clipboard manager still gets the text it put on the clipboard.
    const std::unique_ptr<platform::EndRequests> endRequests = platform::watchEndRequests();
    QObject::connect(endRequests.get(), &platform::EndRequests::endRequested, &app,
                     [&program] { program.end().end(); });

    if (request.waitForRequest)
        QTimer::singleShot(kBusRequestWaitMs, &app, startOnce);
    else
        startProgram(program);
    // A start that named an action is the first request this copy takes; like any
    // other, it runs once the event loop turns.
    if (!request.action.isEmpty())
        QMetaObject::invokeMethod(
            &app, [&program, action = request.action] { runDesktopAction(program, action); },
            Qt::QueuedConnection);
    const int status = app.exec();
    QObject::disconnect(copy.get(), nullptr, &app, nullptr);
    return status;
}
