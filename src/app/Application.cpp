#include "app/Application.h"

#include <QApplication>
#include <QFileInfo>
#include <QMetaObject>

#include <cstdio>

#include "Version.h"
#include "app/DesktopActions.h"
#include "app/Program.h"
#include "app/StartUp.h"
#include "platform/DisplayProbe.h"
#include "platform/EndRequests.h"
#include "platform/RunningCopy.h"

namespace {

// The command-line options that hand an action to the running copy.
struct ActionOption {
    const char* option;
    const char* action;
    const char* help;
};
constexpr ActionOption kActionOptions[] = {
    {"--upper", "upper", "convert the clipboard's text to UPPERCASE"},
    {"--lower", "lower", "convert the clipboard's text to lowercase"},
    {"--random", "random", "convert the clipboard's text to rAnDOm case"},
    {"--title", "title", "convert the clipboard's text to Title Case"},
    {"--sentence", "sentence", "convert the clipboard's text to Sentence case"},
    {"--swap", "swap", "convert the clipboard's text to sWAP cASE"},
};
// With one of the above: the text selected in the focused program instead, pasted
// over it (the action's name with this suffix).
constexpr const char* kInPlaceOption = "--in-place";

const ActionOption* actionOption(const QString& argument)
{
    for (const ActionOption& o : kActionOptions) {
        if (argument == QLatin1String(o.option))
            return &o;
    }
    return nullptr;
}

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
    if (arguments.size() == 1) {
        if (const ActionOption* o = actionOption(arguments.first())) {
            result.action = QString::fromLatin1(o->action);
            return result;
        }
    }
    if (arguments.size() == 2 && arguments.contains(QLatin1String(kInPlaceOption))) {
        const QString& other = arguments.at(arguments.first() == QLatin1String(kInPlaceOption) ? 1 : 0);
        if (const ActionOption* o = actionOption(other)) {
            result.action = QString::fromLatin1(o->action) + QStringLiteral("-in-place");
            return result;
        }
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
               || argument == QLatin1String(kInPlaceOption) || actionOption(argument);
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
    StartRequest request{printable(program), command.action};

    platform::keepSessionBusFromLaunching();

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
    // An action mostly comes from a keyboard shortcut while a copy runs: asked now, it
    // ends here without the display or Qt's application. A plain start mostly finds
    // none running, and would only pay for one more question on the bus.
    if (!request.action.isEmpty() && platform::handOverBeforeStart(QString::fromLatin1(kAppId), request.action)) {
        status = 0;
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
    Program program(platform::makeNativeServices());
    QObject::connect(copy.get(), &platform::RunningCopy::requested, &app,
                     [&program](const QString& action) { runDesktopAction(program, action); });
    QObject::connect(copy.get(), &platform::RunningCopy::endRequested, &app, [&program] { program.end().end(); });
    // A logout, `kill` or Ctrl+C ends the program as Exit does, so that the desktop's
    // clipboard manager still gets the text it put on the clipboard.
    const std::unique_ptr<platform::EndRequests> endRequests = platform::watchEndRequests();
    QObject::connect(endRequests.get(), &platform::EndRequests::endRequested, &app,
                     [&program] { program.end().end(); });

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
