#include "app/TrayCommands.h"

#include "app/Program.h"
#include "core/ClipboardText.h"
#include "ui/dialogs/TextWindow.h"
#include "ui/windows/EventTurn.h"

namespace {

// Takes the text by value and lets it go before returning, so that a long text is
// held at most twice (input and result) at any time. Nothing when the program was
// ended while a random conversion let events run.
std::optional<QString> converted(Program& program, CaseConversion conversion, QString text)
{
    switch (conversion) {
    case CaseConversion::Upper:
        return upperCaseText(text);
    case CaseConversion::Lower:
        return lowerCaseText(text);
    case CaseConversion::Random:
        return randomCaseText(text, eventTurn(program.end()), program.random());
    }
    return std::nullopt;
}

} // namespace

void convertClipboardText(Program& program, CaseConversion conversion)
{
    platform::ClipboardRead input = readClipboardText(*program.services().clipboard);
    if (input.status == platform::ClipboardRead::Status::Unavailable) {
        program.services().beeper->beep();
        return;
    }
    if (input.hasText()) {
        const std::optional<QString> result = converted(program, conversion, std::move(input.text));
        // "E&xit" was chosen meanwhile: leave the clipboard and the windows as they are.
        if (!result)
            return;
        if (!replaceClipboardText(*program.services().clipboard, *result)) {
            program.services().beeper->beep();
            return;
        }
    }
    showTrayResult(program);
    program.services().beeper->beep();
}

void showTrayResult(Program& program)
{
    if (!program.settings().values().copyToClipboard)
        program.windows().get<TextWindow>().showModeless();
    else
        program.services().beeper->beep();
}
