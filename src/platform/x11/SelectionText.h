#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace platform::x11 {

// How the text of an X11 selection is encoded: the type its owner gave it.
enum class TextEncoding {
    Utf8,         // UTF8_STRING, text/plain;charset=utf-8
    Latin1,       // STRING
    CompoundText, // COMPOUND_TEXT: ISO 2022 with the character sets X11 registers
};

// The text in `bytes`, or nothing when they are not valid in `encoding` (or use a
// character set this reader does not know): an owner's text is taken exactly or not
// at all, never with replacement characters. One NUL at the end, which some owners
// add as C strings do, is not part of the text.
std::optional<QString> decodeSelectionText(TextEncoding encoding, QByteArray bytes);

} // namespace platform::x11
