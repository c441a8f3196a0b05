#pragma once

#include <QString>

#include "platform/Clipboard.h"

// The program's way to the clipboard's text. Both calls try again for a moment when
// the clipboard is busy (another program holding it, an owner changing hands), but
// never after a time-out: one unanswered request is as long as the user waits.
//
// The clipboard is never cleared on its own. Replacing the text replaces everything
// the clipboard held, pictures included, in one step; when that fails, the old
// contents stay where they were.

platform::ClipboardRead readClipboardText(platform::Clipboard& clipboard);
// False when the clipboard could not be taken over; it is left as it was.
// The text is let go as it is handed over: pass the only copy of a long one.
bool replaceClipboardText(platform::Clipboard& clipboard, QString text);
