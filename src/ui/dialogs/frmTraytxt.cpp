#include "ui/dialogs/frmTraytxt.h"

#include <QAction>
#include <QIcon>
#include <QMenuBar>
#include <QPlainTextEdit>

#include "convert/ClipboardAccess.h"
#include "core/Twips.h"
#include "platform/Services.h"

frmTraytxt::frmTraytxt()
{
    setObjectName("frmTraytxt");
    setWindowTitle(QStringLiteral("Text Window"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tovrin.ico")));
    useFixedBorder();
    setClientSizeTwips(5055, 4230);

    txtText = new QPlainTextEdit(client());
    txtText->setObjectName("txtText");
    txtText->setGeometry(twips::rect(0, 0, 5055, 4215));
    txtText->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtText->setWordWrapMode(QTextOption::NoWrap);
    txtText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtText->setTabChangesFocus(false);

    // A command on the menu bar itself, not a menu. Ctrl+C stays the text box's own
    // copy of the selection.
    mnuCopy = new QAction(QStringLiteral("Copy to Clipboard"), this);
    mnuCopy->setObjectName("mnuCopy");
    mnuCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    mnuCopy->setShortcutContext(Qt::WindowShortcut);
    menuBar()->addAction(mnuCopy);
    connect(mnuCopy, &QAction::triggered, this, &frmTraytxt::mnuCopy_Click);
}

void frmTraytxt::Form_Load()
{
    const platform::ClipboardRead read = ReadClipboardText();
    if (read.status == platform::ClipboardRead::Status::Unavailable)
        platform::beeper().beep();
    txtText->setPlainText(read.textOrEmpty());
}

void frmTraytxt::mnuCopy_Click()
{
    // The whole text, whatever is selected; replacing it also drops whatever else the
    // clipboard held, as clearing it first would.
    if (!ReplaceClipboardText(txtText->toPlainText()))
        platform::beeper().beep();
}
