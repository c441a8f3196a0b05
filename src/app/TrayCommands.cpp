#include "app/TrayCommands.h"

#include <QHashFunctions>

#include <optional>

#include "core/ClipboardText.h"
#include "core/ProgramEnd.h"
#include "core/Settings.h"
#include "core/WindowHolder.h"
#include "platform/Services.h"
#include "ui/dialogs/TextWindow.h"

namespace {

// A command chosen while rAnDOm lets events run starts inside it and finishes first; a
// flood of requests must not nest without end (each level holds its text and its
// stack), so a request beyond this depth is refused with a beep.
constexpr int kMostNested = 3;
int g_nested = 0;

// What this program last put on the clipboard: a newer text than the one a rAnDOm
// conversion read may be its own nested result, which the outer result replaces.
std::optional<size_t> g_lastWritten;

class NestingLevel {
public:
    NestingLevel() { ++g_nested; }
    ~NestingLevel() { --g_nested; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;
};

// Whether the clipboard still holds the text that was read (or this program's own
// newer result): otherwise the user copied something meanwhile, which stays.
bool clipboardStillHolds(size_t readText)
{
    const platform::ClipboardRead now = readClipboardText();
    if (!now.hasText())
        return false;
    const size_t text = qHash(now.text);
    return text == readText || text == g_lastWritten;
}

// Takes the text by value and lets it go before returning, so that a long text is
// held at most twice (input and result) at any time. Nothing when the program was
// ended while a random conversion let events run.
std::optional<QString> converted(CaseConversion conversion, QString text)
{
    switch (conversion) {
    case CaseConversion::Upper:
        return upperCaseText(text);
    case CaseConversion::Lower:
        return lowerCaseText(text);
    case CaseConversion::Random:
        return randomCaseText(text, programEnding);
    }
    return std::nullopt;
}

} // namespace

void convertClipboardText(CaseConversion conversion)
{
    if (g_nested >= kMostNested) {
        platform::beeper().beep();
        return;
    }
    const NestingLevel level;
    platform::ClipboardRead input = readClipboardText();
    // The read lets events run while it waits, "E&xit" among them.
    if (programEnding())
        return;
    if (input.status == platform::ClipboardRead::Status::Unavailable) {
        platform::beeper().beep();
        return;
    }
    if (input.hasText()) {
        const size_t readText = qHash(input.text);
        const std::optional<QString> result = converted(conversion, std::move(input.text));
        // "E&xit" was chosen meanwhile: leave the clipboard and the windows as they are.
        if (!result)
            return;
        if (conversion == CaseConversion::Random && !clipboardStillHolds(readText)) {
            platform::beeper().beep();
            return;
        }
        if (!replaceClipboardText(*result)) {
            platform::beeper().beep();
            return;
        }
        g_lastWritten = qHash(*result);
    }
    showTrayResult();
    platform::beeper().beep();
}

void showTrayResult()
{
    if (!settings().values().copyToClipboard)
        windows().get<TextWindow>().showModeless();
    else
        platform::beeper().beep();
}
