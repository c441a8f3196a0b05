#include "app/TrayCommands.h"

#include "core/ClipboardText.h"
#include "core/ProgramEnd.h"
#include "core/Settings.h"
#include "core/WindowHolder.h"
#include "platform/Services.h"
#include "ui/dialogs/TextWindow.h"

namespace {

// Takes the text by value: upper and lower case convert it where it is, the random
// transform lets it go before returning, so that a long text is held at most twice
// (input and result) at any time. Nothing when the program was ended while a random
// conversion let events run.
std::optional<QString> converted(CaseConversion conversion, QString text)
{
    switch (conversion) {
    case CaseConversion::Upper:
        return upperCaseText(std::move(text));
    case CaseConversion::Lower:
        return lowerCaseText(std::move(text));
    case CaseConversion::Random:
        return randomCaseText(text, programEnding);
    }
    return std::nullopt;
}

} // namespace

void convertClipboardText(CaseConversion conversion)
{
    platform::ClipboardRead input = readClipboardText();
    if (input.status == platform::ClipboardRead::Status::Unavailable) {
        platform::beeper().beep();
        return;
    }
    if (input.hasText()) {
        const std::optional<QString> result = converted(conversion, std::move(input.text));
        // "E&xit" was chosen meanwhile: leave the clipboard and the windows as they are.
        if (!result)
            return;
        if (!replaceClipboardText(*result)) {
            platform::beeper().beep();
            return;
        }
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
