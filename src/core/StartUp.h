#pragma once

#include <functional>

// Where the program starts, before any window exists.
void Main();

// Ends the program at once: the event loop is left without asking any window to
// close, and nothing is saved.
void EndProgram();

// Tests replace how the program ends; the default leaves the event loop.
void setEndProgramHandler(std::function<void()> handler);
