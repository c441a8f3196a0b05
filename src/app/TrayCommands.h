#pragma once

#include "convert/CaseTransforms.h"

// The tray menu's conversions of the clipboard's text.

// The conversion of a text; nothing when the program was ended while a random
// conversion let events run.
std::optional<QString> convertedText(CaseConversion conversion, QString text);

// Converts the clipboard's text in place, routes the result (showTrayResult) and
// beeps. A clipboard without text is left as it is and routed all the same; one
// that cannot be read or written is left as it is, with a single beep and no routing.
// The random conversion lets window events run once per code point, so another
// command may run to its end in the middle of it.
void convertClipboardText(CaseConversion conversion);

// Ends a conversion as the tray commands do: the result on the clipboard, then the
// Text Window or a beep, and a beep; a clipboard that cannot be written: one beep.
void deliverTrayResult(const QString& result);

// Converts the text selected in the focused program and pastes the result over it.
// Nothing selected, or a selection that cannot be read: one beep, nothing changes. When
// the paste cannot be sent, ends as the tray commands do.
void convertSelectionInPlace(CaseConversion conversion);

// Shows the Text Window unless the settings say "copy it directly to the clipboard",
// in which case it beeps.
void showTrayResult();
