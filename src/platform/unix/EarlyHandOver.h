#pragma once

// What a later start needs to hand its request to the running copy, with nothing but
// the bus library: the `tovrin` command asks here before it loads the program (and
// with it Qt's GUI), so that a keyboard shortcut's `tovrin --upper` costs a bus call.

#include <string>
#include <utility>

namespace platform {

// The interface both ends speak, and what a later start passes on in its platform data
// (environment variable, key) so that the running copy's window may take the focus
// where the desktop asks for proof.
inline constexpr char kApplicationInterface[] = "org.freedesktop.Application";
inline constexpr std::pair<const char*, const char*> kActivationVariables[] = {
    {"DESKTOP_STARTUP_ID", "desktop-startup-id"},
    {"XDG_ACTIVATION_TOKEN", "activation-token"},
};
// How long a later start waits, by default, for the running copy to take its request.
inline constexpr int kAnswerTimeoutMs = 5000;
// The address given where the session has no bus: of no transport, so that nothing
// connects and nothing is started.
inline constexpr char kNoBusAddress[] = "none:";

// "com.example.App" -> "/com/example/App".
std::string busObjectPath(const std::string& appId);

// Before anything talks to the session bus: where the session has none, keeps the bus
// library from starting one of its own (on X11 it would, and it would outlive us).
void keepSessionBusFromLaunching();

// Hands `action` (empty: show the main window) to the copy of `appId` that runs in
// this session, if one does and takes it. False when none runs or it did not answer:
// the start then goes on as usual, and the program's own claim asks again and reports
// what went wrong.
bool handOverBeforeStart(const std::string& appId, const std::string& action);

} // namespace platform
