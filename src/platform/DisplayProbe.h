#pragma once

#include <QByteArray>

// Whether a display can be reached, asked before Qt opens one (Qt aborts the program
// when it finds none).
namespace platform {

// Connects to the X display `name` (as in DISPLAY) and lets go again.
bool canOpenX11Display(const QByteArray& name);
// Whether a Wayland compositor listens on the socket at `path`.
bool canReachWaylandDisplay(const QByteArray& path);

} // namespace platform
