#pragma once

#include <QtGlobal>

namespace platform {

// The most one clipboard read takes in before it gives up (the clipboard then counts
// as unreadable): far above any real text, and a small share of the machine's memory,
// since a conversion holds its text several times over (bytes, text, result).
qsizetype clipboardReadLimit();

} // namespace platform
