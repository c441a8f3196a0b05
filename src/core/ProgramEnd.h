#pragma once

#include <functional>

// Ends the program at once: the event loop is left without asking any window to
// close, and nothing is saved.
void endProgram();

// True once endProgram has run: work still on the stack (a random conversion that
// lets events run) stops instead of finishing and showing its result.
bool programEnding();

// Tests replace how the program ends (each handler starts a fresh run); the default
// leaves the event loop.
void setEndProgramHandler(std::function<void()> handler);
