#pragma once

#include <functional>

// How the program ends, and whether it is ending: work still on the stack (a random
// conversion that lets events run) stops instead of finishing and showing its result.
class ProgramEnd final {
public:
    // Ends the program at once: the event loop is left without asking any window to
    // close, and nothing is saved.
    void end();
    bool ending() const { return m_ending; }

    // Replaces how the program ends (tests record it instead); the default leaves the
    // event loop.
    void setHandler(std::function<void()> handler) { m_handler = std::move(handler); }

private:
    std::function<void()> m_handler;
    bool m_ending = false;
};
