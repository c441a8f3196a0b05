#include "convert/Module1.h"

#include "convert/CaseTransforms.h"
#include "convert/ClipboardAccess.h"
#include "core/Forms.h"
#include "core/StartUp.h"
#include "platform/Services.h"
#include "ui/dialogs/frmOptions.h"
#include "ui/dialogs/frmTraytxt.h"

#include <QRadioButton>

namespace {

// Takes the text by value and lets it go before returning, so that a long text is
// held at most twice (input and result) at any time. Nothing when the program was
// ended while a random conversion let events run.
std::optional<QString> converted(TrayConversion conversion, QString text)
{
    std::optional<QString> result;
    switch (conversion) {
    case TrayConversion::Upper:
        result = UpperCaseText(text);
        break;
    case TrayConversion::Lower:
        result = LowerCaseText(text);
        break;
    case TrayConversion::Random:
        result = RandomCaseText(text, ProgramEnding);
        break;
    }
    return result;
}

} // namespace

void ConvertClipboardText(TrayConversion conversion)
{
    platform::ClipboardRead input = ReadClipboardText();
    if (input.status == platform::ClipboardRead::Status::Unavailable) {
        platform::beeper().beep();
        return;
    }
    if (input.hasText()) {
        const std::optional<QString> result = converted(conversion, std::move(input.text));
        // "E&xit" was chosen meanwhile: leave the clipboard and the windows as they are.
        if (!result)
            return;
        if (!ReplaceClipboardText(*result)) {
            platform::beeper().beep();
            return;
        }
    }
    // Windows are reached afresh here: a random conversion ran window events.
    ShowTrayResult();
    platform::beeper().beep();
}

void ShowTrayResult()
{
    if (forms().get<frmOptions>().optOpen->isChecked())
        forms().get<frmTraytxt>().showModeless();
    else
        platform::beeper().beep();
}
