#include "app/TrayCommands.h"

#include "core/ClipboardText.h"
#include "core/ProgramEnd.h"
#include "core/Settings.h"
#include "core/WindowHolder.h"
#include "platform/Services.h"
#include "ui/dialogs/TextWindow.h"

// Takes the text by value and lets it go before returning, so that a long text is
// held at most twice (input and result) at any time.
std::optional<QString> convertedText(CaseConversion conversion, QString text)
{
    switch (conversion) {
    case CaseConversion::Upper:
        return upperCaseText(text);
    case CaseConversion::Lower:
        return lowerCaseText(text);
    case CaseConversion::Random:
        return randomCaseText(text, programEnding);
    case CaseConversion::Title:
        return titleCaseText(text);
    case CaseConversion::Sentence:
        return sentenceCaseText(text);
    case CaseConversion::Swap:
        return swapCaseText(text);
    }
    return std::nullopt;
}

void convertClipboardText(CaseConversion conversion)
{
    platform::ClipboardRead input = readClipboardText();
    if (input.status == platform::ClipboardRead::Status::Unavailable) {
        platform::beeper().beep();
        return;
    }
    if (!input.hasText()) {
        showTrayResult();
        platform::beeper().beep();
        return;
    }
    const std::optional<QString> result = convertedText(conversion, std::move(input.text));
    // "E&xit" was chosen meanwhile: leave the clipboard and the windows as they are.
    if (result)
        deliverTrayResult(*result);
}

void deliverTrayResult(const QString& result)
{
    if (!replaceClipboardText(result)) {
        platform::beeper().beep();
        return;
    }
    showTrayResult();
    platform::beeper().beep();
}

void convertSelectionInPlace(CaseConversion conversion)
{
    platform::SelectionPaster& paster = *platform::services().selectionPaster;
    platform::ClipboardRead selection = paster.readSelection();
    if (!selection.hasText() || selection.text.isEmpty()) {
        platform::beeper().beep();
        return;
    }
    const std::optional<QString> result = convertedText(conversion, std::move(selection.text));
    if (!result)
        return;
    paster.pasteOver(*result, [result = *result](platform::SelectionPaster::Outcome outcome) {
        if (outcome == platform::SelectionPaster::Outcome::NotSent)
            deliverTrayResult(result);
    });
}

void showTrayResult()
{
    if (!settings().values().copyToClipboard)
        windows().get<TextWindow>().showModeless();
    else
        platform::beeper().beep();
}
