#pragma once

// The tray menu's conversions of the clipboard's text, behind frmCase's mnuUp_Click,
// mnuLow_Click and mnuRnd_Click.

enum class TrayConversion { Upper, Lower, Random };

// Converts the clipboard's text in place, routes the result (ShowTrayResult) and
// beeps. A clipboard without text is left as it is and routed all the same; one
// that cannot be read or written is left as it is, with a single beep and no routing.
// The random conversion lets window events run once per code point, so another
// command may run to its end in the middle of it.
void ConvertClipboardText(TrayConversion conversion);

// Shows the Text Window when the Options say "open it in a new window", else beeps.
void ShowTrayResult();
