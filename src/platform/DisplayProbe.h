#pragma once

#include <QByteArray>

// Whether a display can be reached, asked before Qt opens one (Qt aborts the program
// when it finds none).
namespace platform {

// True where the session's desktop is always there to show windows on (Windows), so
// nothing needs to be probed.
bool desktopAlwaysThere();

// Connects to the X display `name` (as in DISPLAY) and lets go again.
bool canOpenX11Display(const QByteArray& name);
// Whether a Wayland compositor listens on the socket at `path`.
bool canReachWaylandDisplay(const QByteArray& path);

} // namespace platform
