#include "ui/dialogs/TextWindow.h"

#include <QAction>
#include <QIcon>
#include <QMenuBar>

#include "core/ClipboardText.h"
#include "platform/Services.h"
#include "ui/widgets/TextBox.h"
#include "ui/windows/Resources.h"
#include "ui/windows/Twips.h"

TextWindow::TextWindow(WindowContext& context)
    : Window(context)
{
    setObjectName("frmTraytxt");
    setWindowTitle(QStringLiteral("Text Window"));
    setWindowIcon(programIcon());
    useFixedBorder();
    setClientSizeTwips(5055, 4230);

    textBox = new TextBox(client());
    textBox->setObjectName("txtText");
    textBox->setAccessibleName(QStringLiteral("Converted text"));
    textBox->setGeometry(twips::rect(0, 0, 5055, 4215));
    textBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    textBox->setWordWrapMode(QTextOption::NoWrap);
    textBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textBox->setTabChangesFocus(false);

    // A command on the menu bar itself, not a menu. Ctrl+C stays the text box's own
    // copy of the selection.
    copyAction = new QAction(QStringLiteral("Copy to Clipboard"), this);
    copyAction->setObjectName("mnuCopy");
    copyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copyAction->setShortcutContext(Qt::WindowShortcut);
    menuBar()->addAction(copyAction);
    connect(copyAction, &QAction::triggered, this, &TextWindow::onCopyClicked);
}

void TextWindow::onLoad()
{
    platform::Services& services = context().services;
    const platform::ClipboardRead read = readClipboardText(*services.clipboard);
    if (read.status == platform::ClipboardRead::Status::Unavailable)
        services.beeper->beep();
    textBox->setText(read.textOrEmpty());
}

void TextWindow::onCopyClicked()
{
    // The whole text, whatever is selected; replacing it also drops whatever else the
    // clipboard held, as clearing it first would.
    platform::Services& services = context().services;
    if (!replaceClipboardText(*services.clipboard, textBox->text()))
        services.beeper->beep();
}
