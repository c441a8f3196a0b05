#pragma once

#include "convert/CaseTransforms.h"

class Program;

// The tray menu's conversions of the clipboard's text.

// Converts the clipboard's text in place, routes the result (showTrayResult) and
// beeps. A clipboard without text is left as it is and routed all the same; one
// that cannot be read or written is left as it is, with a single beep and no routing.
// The random conversion lets window events run once per code point, so another
// command may run to its end in the middle of it (a few levels deep at most: a command
// beyond that only beeps). Its result is written only if the clipboard still holds the
// text it read, or a result of this program's that came meanwhile; a newer copy of the
// user's stays, with a single beep and no routing.
void convertClipboardText(Program& program, CaseConversion conversion);

// Shows the Text Window unless the settings say "copy it directly to the clipboard",
// in which case it beeps.
void showTrayResult(Program& program);
