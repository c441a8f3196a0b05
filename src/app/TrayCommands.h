#pragma once

#include "convert/CaseTransforms.h"

class Program;

// The tray menu's conversions of the clipboard's text.

// The conversion of a text; nothing when the program was ended while a random
// conversion let events run.
// Takes the text by value: upper and lower case convert it where it is, the random
// transform lets it go before returning, so that a long text is held at most twice
// (input and result) at any time.
std::optional<QString> convertedText(Program& program, CaseConversion conversion, QString text);

// Converts the clipboard's text in place, routes the result (showTrayResult) and
// beeps. A clipboard without text is left as it is and routed all the same; one
// that cannot be read or written is left as it is, with a single beep and no routing.
// The random conversion lets window events run once per code point, so another
// command may run to its end in the middle of it (a few levels deep at most: a command
// beyond that only beeps). Its result is written only if the clipboard still holds the
// text it read, or a result of this program's that came meanwhile; a newer copy of the
// user's stays, with a single beep and no routing.
void convertClipboardText(Program& program, CaseConversion conversion);

// Ends a conversion as the tray commands do: the result on the clipboard, then the
// Text Window or a beep, and a beep; a clipboard that cannot be written: one beep.
void deliverTrayResult(Program& program, QString result);

// Converts the text selected in the focused program and pastes the result over it.
// Nothing selected, or a selection that cannot be read: one beep, nothing changes. When
// the paste cannot be sent, ends as the tray commands do.
// Refused with a beep beyond the tray commands' nesting depth.
void convertSelectionInPlace(Program& program, CaseConversion conversion);

// Shows the Text Window unless the settings say "copy it directly to the clipboard",
// in which case it beeps.
void showTrayResult(Program& program);
