#include "app/TrayCommands.h"

#include <QHashFunctions>

#include <optional>

#include "app/Program.h"
#include "core/ClipboardText.h"
#include "ui/dialogs/TextWindow.h"
#include "ui/windows/EventTurn.h"

namespace {

// A command chosen while rAnDOm lets events run starts inside it and finishes first; a
// flood of requests must not nest without end (each level holds its text and its
// stack), so a request beyond this depth is refused with a beep.
constexpr int kMostNested = 3;

class NestingLevel {
public:
    explicit NestingLevel(int& running) : m_running(++running) {}
    ~NestingLevel() { --m_running; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;

private:
    int& m_running;
};

// Whether the clipboard still holds the text that was read, or this program's own newer
// result (a nested conversion's, which the outer one replaces): otherwise the user
// copied something meanwhile, which stays.
bool clipboardStillHolds(Program& program, size_t readText)
{
    const platform::ClipboardRead now = readClipboardText(*program.services().clipboard);
    if (!now.hasText())
        return false;
    const size_t text = qHash(now.text);
    return text == readText || text == program.conversions().lastWritten;
}

// Takes the text by value: upper and lower case convert it where it is, the random
// transform lets it go before returning, so that a long text is held at most twice
// (input and result) at any time. Nothing when the program was ended while a random
// conversion let events run.
std::optional<QString> converted(Program& program, CaseConversion conversion, QString text)
{
    switch (conversion) {
    case CaseConversion::Upper:
        return upperCaseText(std::move(text));
    case CaseConversion::Lower:
        return lowerCaseText(std::move(text));
    case CaseConversion::Random:
        return randomCaseText(text, eventTurn(program.end()), program.random());
    }
    return std::nullopt;
}

} // namespace

void convertClipboardText(Program& program, CaseConversion conversion)
{
    platform::Beeper& beeper = *program.services().beeper;
    if (program.conversions().running >= kMostNested) {
        beeper.beep();
        return;
    }
    const NestingLevel level(program.conversions().running);
    const bool endingBefore = program.end().ending();
    platform::ClipboardRead input = readClipboardText(*program.services().clipboard);
    // The read lets events run while it waits, "E&xit" among them.
    if (!endingBefore && program.end().ending())
        return;
    if (input.status == platform::ClipboardRead::Status::Unavailable) {
        beeper.beep();
        return;
    }
    if (input.hasText()) {
        const size_t readText = qHash(input.text);
        const std::optional<QString> result = converted(program, conversion, std::move(input.text));
        // "E&xit" was chosen meanwhile: leave the clipboard and the windows as they are.
        if (!result)
            return;
        if (conversion == CaseConversion::Random && !clipboardStillHolds(program, readText)) {
            beeper.beep();
            return;
        }
        if (!replaceClipboardText(*program.services().clipboard, *result)) {
            beeper.beep();
            return;
        }
        program.conversions().lastWritten = qHash(*result);
    }
    showTrayResult(program);
    beeper.beep();
}

void showTrayResult(Program& program)
{
    if (!program.settings().values().copyToClipboard)
        program.windows().get<TextWindow>().showModeless();
    else
        program.services().beeper->beep();
}
