#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QApplication;

// The desktop's name for the program: desktop entry, metadata and icons carry it.
inline constexpr const char* kAppId = "com.ardelon.Tovrin";

// What the command line asks for. The program itself takes no arguments; only
// --version and --help are answered, anything else is refused.
struct CommandLine {
    bool run = true;  // false: print `output` and end with `exitStatus`
    bool toStdErr = false;
    int exitStatus = 0;
    QString output;
};

// `arguments` without the program's own name; `program` is the name used in messages.
CommandLine parseCommandLine(const QStringList& arguments, const QString& program = QStringLiteral("tovrin"));

// The parts of the environment that decide which display system Qt talks to.
struct DisplayEnvironment {
    QByteArray qpaPlatform;     // QT_QPA_PLATFORM
    QByteArray waylandDisplay;  // WAYLAND_DISPLAY
    QByteArray xDisplay;        // DISPLAY
    QByteArray sessionType;     // XDG_SESSION_TYPE
};

// The platform plugin to ask Qt for, or empty to leave Qt's own choice. On a Wayland
// session a program may read the clipboard only while it has the keyboard focus,
// which a tray conversion never has; through XWayland it always may. A platform the
// user chose is never overridden.
QByteArray preferredPlatform(const DisplayEnvironment& env);

// Before QApplication exists: answers --version/--help or refuses other arguments
// (returns false, with the exit status in `status`), and picks the display system.
bool prepareTovrin(int argc, char* argv[], int& status);

// Wires the platform, starts the program and runs it to its end. When a copy
// already runs for this user, asks it to show its main window and returns at once.
int runTovrin(QApplication& app);
