#pragma once

#include <functional>

class ProgramEnd;

// The random transform's yield for a program with windows: lets pending window events
// run once, then says whether to go on (not once the program is ending).
std::function<bool()> eventTurn(const ProgramEnd& end);
