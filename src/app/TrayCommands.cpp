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

// One command's level while it runs; a level beyond the depth beeps and is not entered.
class NestingLevel {
public:
    explicit NestingLevel(Program& program)
        : m_running(program.conversions().running)
        , m_entered(m_running < kMostNested)
    {
        if (m_entered)
            ++m_running;
        else
            program.services().beeper->beep();
    }
    ~NestingLevel()
    {
        if (m_entered)
            --m_running;
    }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;
    bool entered() const { return m_entered; }

private:
    int& m_running;
    bool m_entered;
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

} // namespace

std::optional<QString> convertedText(Program& program, CaseConversion conversion, QString text)
{
    switch (conversion) {
    case CaseConversion::Upper:
        return upperCaseText(std::move(text));
    case CaseConversion::Lower:
        return lowerCaseText(std::move(text));
    case CaseConversion::Random:
        return randomCaseText(text, eventTurn(program.end()), program.random());
    case CaseConversion::Title:
        return titleCaseText(text);
    case CaseConversion::Sentence:
        return sentenceCaseText(text);
    case CaseConversion::Swap:
        return swapCaseText(text);
    }
    return std::nullopt;
}

void convertClipboardText(Program& program, CaseConversion conversion)
{
    const NestingLevel level(program);
    if (!level.entered())
        return;
    platform::Beeper& beeper = *program.services().beeper;
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
        // Only rAnDOm lets events run, so only its clipboard can change meanwhile; a
        // hash of megabytes is not free.
        const size_t readText = conversion == CaseConversion::Random ? qHash(input.text) : 0;
        std::optional<QString> result = convertedText(program, conversion, std::move(input.text));
        // "E&xit" was chosen meanwhile: leave the clipboard and the windows as they are.
        if (!result)
            return;
        if (conversion == CaseConversion::Random && !clipboardStillHolds(program, readText)) {
            beeper.beep();
            return;
        }
        deliverTrayResult(program, std::move(*result));
        return;
    }
    showTrayResult(program);
    beeper.beep();
}

void deliverTrayResult(Program& program, QString result)
{
    platform::Beeper& beeper = *program.services().beeper;
    const size_t written = qHash(result);
    if (!replaceClipboardText(*program.services().clipboard, std::move(result))) {
        beeper.beep();
        return;
    }
    program.conversions().lastWritten = written;
    showTrayResult(program);
    beeper.beep();
}

void convertSelectionInPlace(Program& program, CaseConversion conversion)
{
    const NestingLevel level(program);
    if (!level.entered())
        return;
    platform::Beeper& beeper = *program.services().beeper;
    platform::SelectionPaster& paster = *program.services().selectionPaster;
    const bool endingBefore = program.end().ending();
    platform::ClipboardRead selection = paster.readSelection();
    // As for the clipboard: "E&xit" chosen while the read waited ends it here.
    if (!endingBefore && program.end().ending())
        return;
    if (!selection.hasText() || selection.text.isEmpty()) {
        beeper.beep();
        return;
    }
    const std::optional<QString> result = convertedText(program, conversion, std::move(selection.text));
    if (!result)
        return;
    paster.pasteOver(*result, [&program, result = *result](platform::SelectionPaster::Outcome outcome) {
        if (outcome == platform::SelectionPaster::Outcome::NotSent)
            deliverTrayResult(program, result);
    });
}

void showTrayResult(Program& program)
{
    if (!program.settings().values().copyToClipboard)
        program.windows().get<TextWindow>().showModeless();
    else
        program.services().beeper->beep();
}
