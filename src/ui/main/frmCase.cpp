#include "ui/main/frmCase.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include "convert/CaseTransforms.h"
#include "convert/ClipboardAccess.h"
#include "convert/Module1.h"
#include "core/Forms.h"
#include "core/StartUp.h"
#include "core/Twips.h"
#include "platform/Services.h"
#include "ui/credits/frmCred.h"
#include "ui/dialogs/frmAbout.h"
#include "ui/dialogs/frmOptions.h"
#include "ui/main/General.h"

namespace {

QPlainTextEdit* makeTextBox(QWidget* parent, const char* name)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setWordWrapMode(QTextOption::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(false);
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter presses the focused button, as Space does; there is no default button.
    button->setAutoDefault(true);
    return button;
}

} // namespace

frmCase::frmCase()
{
    setObjectName("frmCase");
    setWindowTitle(QStringLiteral("Tovrin"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tovrin.ico")));
    useFixedBorder();
    setClientSizeTwips(9765, 4920);
    buildControls();
    buildMenus();
}

void frmCase::buildControls()
{
    QWidget* c = client();
    txtBase = makeTextBox(c, "txtBase");
    txtBase->setGeometry(twips::rect(120, 240, 3855, 4011));
    txtEnd = makeTextBox(c, "txtEnd");
    txtEnd->setGeometry(twips::rect(5760, 240, 3855, 4011));

    Command1 = makeButton(c, "Command1", QStringLiteral("UPPERCASE"));
    Command1->setGeometry(twips::rect(4200, 1200, 1335, 495));
    Command5 = makeButton(c, "Command5", QStringLiteral("rAnDOm"));
    Command5->setGeometry(twips::rect(4200, 2160, 1335, 495));
    Command2 = makeButton(c, "Command2", QStringLiteral("lowercase"));
    Command2->setGeometry(twips::rect(4200, 3240, 1335, 495));

    Trayicon = new QLabel(c);
    Trayicon->setObjectName("Trayicon");
    Trayicon->setGeometry(twips::rect(4680, 360, 495, 495));
    Trayicon->setPixmap(windowIcon().pixmap(32, 32));
    Trayicon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Command3 = makeButton(c, "Command3", QStringLiteral("Paste from Clipboard"));
    Command3->setGeometry(twips::rect(960, 4440, 2175, 255));
    Command4 = makeButton(c, "Command4", QStringLiteral("Copy to Clipboard"));
    Command4->setGeometry(twips::rect(6720, 4440, 2175, 255));

    // Keyboard order: the boxes, UPPERCASE, lowercase, the clipboard buttons, rAnDOm last.
    setTabOrder(txtBase, txtEnd);
    setTabOrder(txtEnd, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Command5);

    connect(Command1, &QPushButton::clicked, this, &frmCase::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmCase::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmCase::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmCase::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmCase::Command5_Click);
}

void frmCase::buildMenus()
{
    auto action = [this](QWidget* menu, const char* name, const QString& caption, void (frmCase::*handler)()) {
        auto* a = new QAction(caption, this);
        a->setObjectName(name);
        menu->addAction(a);
        if (handler)
            connect(a, &QAction::triggered, this, handler);
        return a;
    };

    QMenuBar* bar = menuBar();
    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName("mnuFile");
    mnuOptions = action(mnuFile, "mnuOptions", QStringLiteral("&Options..."), &frmCase::mnuOptions_Click);
    mnuExit = action(mnuFile, "mnuExit", QStringLiteral("E&xit"), &frmCase::mnuExit_Click);

    mnuHelpmnu = bar->addMenu(QStringLiteral("&Tovrin"));
    mnuHelpmnu->setObjectName("mnuHelpmnu");
    mnuCredits = action(mnuHelpmnu, "mnuCredits", QStringLiteral("C&redits"), &frmCase::mnuCredits_Click);
    mnuAbout = action(mnuHelpmnu, "mnuAbout", QStringLiteral("&About..."), &frmCase::mnuAbout_Click);

    mnuMini = action(bar, "mnuMini", QStringLiteral("&Minimize to Tray"), &frmCase::mnuMini_Click);

    // Never on the menu bar: it is the tray icon's pop-up menu.
    mnuTray = new QMenu(QStringLiteral("Tray"), this);
    mnuTray->setObjectName("mnuTray");
    mnuExitT = action(mnuTray, "mnuExitT", QStringLiteral("E&xit"), &frmCase::mnuExitT_Click);
    mnuCancel = action(mnuTray, "mnuCancel", QStringLiteral("&Cancel"), nullptr);
    mnuTray->addSeparator()->setObjectName("kjlh");
    mnuTovrin = mnuTray->addMenu(QStringLiteral("&Tovrin"));
    mnuTovrin->setObjectName("mnuTovrin");
    mnuCred = action(mnuTovrin, "mnuCred", QStringLiteral("&Credits..."), &frmCase::mnuCred_Click);
    mnuAbou = action(mnuTovrin, "mnuAbou", QStringLiteral("&About..."), &frmCase::mnuAbou_Click);
    mnuOption = action(mnuTovrin, "mnuOption", QStringLiteral("&Options..."), &frmCase::mnuOption_Click);
    mnuEmail = action(mnuTovrin, "mnuEmail", QStringLiteral("&Email Ardelon"), &frmCase::mnuEmail_Click);
    mnuTray->addSeparator()->setObjectName("mnuSpac");
    mnuMain = action(mnuTray, "mnuMain", QStringLiteral("Main &Window"), &frmCase::mnuMain_Click);
    mnuTray->addSeparator()->setObjectName("mnuSpace");
    mnuRnd = action(mnuTray, "mnuRnd", QStringLiteral("rAnDOm"), &frmCase::mnuRnd_Click);
    mnuLow = action(mnuTray, "mnuLow", QStringLiteral("&lowercase"), &frmCase::mnuLow_Click);
    mnuUp = action(mnuTray, "mnuUp", QStringLiteral("&UPPERCASE"), &frmCase::mnuUp_Click);
}

void frmCase::Form_Load()
{
    RemoveTrayIcon();
}

void frmCase::Command1_Click()
{
    txtEnd->setPlainText(UpperCaseText(txtBase->toPlainText()));
}

void frmCase::Command2_Click()
{
    txtEnd->setPlainText(LowerCaseText(txtBase->toPlainText()));
}

void frmCase::Command3_Click()
{
    const platform::ClipboardRead read = ReadClipboardText();
    if (read.status == platform::ClipboardRead::Status::Unavailable) {
        platform::beeper().beep();
        return;
    }
    txtBase->setPlainText(read.textOrEmpty());
}

void frmCase::Command4_Click()
{
    // One replacing write: clearing first would lose the clipboard if the write failed.
    if (!ReplaceClipboardText(txtEnd->toPlainText()))
        platform::beeper().beep();
}

void frmCase::Command5_Click()
{
    // The result goes to the result box only; the user's clipboard is not touched.
    const std::optional<QString> result = RandomCaseText(txtBase->toPlainText(), ProgramEnding);
    // "E&xit" was chosen meanwhile.
    if (!result)
        return;
    // Events ran during the conversion: reach the window afresh.
    forms().get<frmCase>().txtEnd->setPlainText(*result);
}

void frmCase::mnuOptions_Click()
{
    forms().get<frmOptions>().showModeless();
}

void frmCase::mnuOption_Click()
{
    mnuOptions_Click();
}

void frmCase::mnuCredits_Click()
{
    forms().get<frmCred>().showModeless();
}

void frmCase::mnuCred_Click()
{
    mnuCredits_Click();
}

void frmCase::mnuAbout_Click()
{
    forms().get<frmAbout>().showModeless();
}

void frmCase::mnuAbou_Click()
{
    mnuAbout_Click();
}

void frmCase::mnuExit_Click()
{
    RemoveTrayIcon();
    EndProgram();
}

void frmCase::mnuExitT_Click()
{
    mnuExit_Click();
}

void frmCase::mnuEmail_Click()
{
    platform::links().ShellExecute(static_cast<quintptr>(winId()), QString(), QString::fromLatin1(kMakerMailLink),
                                   QString(), QStringLiteral("c:\\"), 0);
}

void frmCase::mnuMini_Click()
{
    if (!NotificationAreaAvailable()) {
        // No notification area to hold the icon: keep the window reachable from the task bar.
        showMinimized();
        return;
    }
    AddTrayIcon(MinimizeTrayTip());
    hide();
}

void frmCase::mnuMain_Click()
{
    showModeless();
}

void frmCase::mnuUp_Click()
{
    ConvertClipboardText(TrayConversion::Upper);
}

void frmCase::mnuLow_Click()
{
    ConvertClipboardText(TrayConversion::Lower);
}

void frmCase::mnuRnd_Click()
{
    ConvertClipboardText(TrayConversion::Random);
}

void frmCase::Trayicon_MouseMove(int mouseMessage)
{
    // The message number itself, not a position: right at every display density.
    switch (mouseMessage) {
    case 0x203: // left double-click
        mnuMain_Click();
        break;
    case 0x204: // right button pressed
        // Runs until the menu closes; the chosen item's handler runs inside.
        mnuTray->exec(QCursor::pos());
        break;
    default:
        break;
    }
}

void frmCase::closeEvent(QCloseEvent* event)
{
    // With the icon in the tray the close box only puts the window away; otherwise
    // closing it must not leave the program running with nothing to show for it.
    event->ignore();
    if (TrayIconShown())
        hide();
    else
        mnuExit_Click();
}
