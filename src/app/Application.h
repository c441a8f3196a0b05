#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "app/CommandOptions.h"

class QApplication;


// What the command line asks for: --version and --help are answered; a conversion
// (--upper, --lower, --random, --title, --sentence, --swap; one at most, optionally with
// --in-place) runs and names the desktop action to hand to the running copy; anything
// else is refused.
struct CommandLine {
    bool run = true;  // false: print `output` and end with `exitStatus`
    bool toStdErr = false;
    int exitStatus = 0;
    QString output;
    QString action;  // when run: the action to ask for, empty for a plain start
    bool waitForRequest = false;  // when run: started by the bus, which brings the request
};

// `arguments` without the program's own name; `program` is the name used in messages.
CommandLine parseCommandLine(const QStringList& arguments, const QString& program = QStringLiteral("tovrin"));

// The parts of the environment that decide which display system Qt talks to.
struct DisplayEnvironment {
    QByteArray qpaPlatform;     // QT_QPA_PLATFORM
    QByteArray waylandDisplay;  // WAYLAND_DISPLAY
    QByteArray xDisplay;        // DISPLAY
    QByteArray sessionType;     // XDG_SESSION_TYPE
    QByteArray runtimeDir = {}; // XDG_RUNTIME_DIR, where a Wayland display's socket lives
};

// The platform plugin to ask Qt for, or empty to leave Qt's own choice. On a Wayland
// session a program may read the clipboard only while it has the keyboard focus,
// which a tray conversion never has; through XWayland it always may. A platform the
// user chose is never overridden.
QByteArray preferredPlatform(const DisplayEnvironment& env);

// Whether a display can be reached, asked of the real world or of a test.
struct DisplayProbes {
    std::function<bool(const QByteArray& display)> x11;        // DISPLAY answers
    std::function<bool(const QByteArray& socketPath)> wayland; // the compositor listens
};

// Why the display system Qt is about to open cannot be reached (one short clause), or
// empty when it can or when the platform needs no display (offscreen, for example).
// Qt aborts the program when it finds none.
QString missingDisplay(const DisplayEnvironment& env, const DisplayProbes& probes);

// A name or argument echoed in a message, with control characters escaped so that
// it keeps to its line.
QString printable(const QString& text);

// What a start that goes on is asked for, as the command line said it.
struct StartRequest {
    QString program;  // the name used in messages, printable
    QString action;   // the action to run, empty for a plain start
    bool waitForRequest = false;  // started by the bus: start as its first request asks
};

// Before QApplication exists: answers --version/--help or refuses other arguments
// (nothing, with the exit status in `status`), picks the display system and refuses
// to go on without a display (status 1).
std::optional<StartRequest> prepareTovrin(int argc, char* argv[], int& status);

// Wires the platform, starts the program and runs it to its end. When a copy
// already runs in this session, hands it the request (show its main window, or an
// action) and returns at once.
int runTovrin(QApplication& app, const StartRequest& request);

// The whole program, from its command line to its end: what `main` does.
int runFromCommandLine(int argc, char* argv[]);
