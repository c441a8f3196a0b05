#include "ui/main/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "core/ClipboardText.h"
#include "core/OpenLink.h"
#include "core/ProgramEnd.h"
#include "core/Twips.h"
#include "core/WindowHolder.h"
#include "platform/Services.h"
#include "ui/credits/CreditsWindow.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/main/TrayIcon.h"

namespace {

QPlainTextEdit* makeTextBox(QWidget* parent, const char* name, const QString& accessibleName)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setWordWrapMode(QTextOption::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab and Shift+Tab move on, so keyboard users can leave the box; Ctrl+Tab types a tab.
    box->setTabChangesFocus(true);
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    // Enter presses the focused button, as Space does; there is no default button.
    button->setAutoDefault(true);
    return button;
}

} // namespace

MainWindow::MainWindow()
{
    setObjectName("frmCase");
    setWindowTitle(QStringLiteral("Tovrin"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tovrin.ico")));
    useFixedBorder();
    setClientSizeTwips(9765, 4920);
    buildControls();
    buildMenus();
    if (platform::NotifyIcon* icon = platform::notifyIcon()) {
        // Queued, as the desktop's own messages are: the menu's loop never runs inside
        // the tray host's event.
        connect(icon, &platform::NotifyIcon::requested, this, &MainWindow::onTrayRequest, Qt::QueuedConnection);
        connect(icon, &platform::NotifyIcon::availabilityChanged, this, &tray::hostChanged, Qt::QueuedConnection);
    }
}

MainWindow::~MainWindow()
{
    // The icon shows this window's picture and menu.
    tray::remove();
}

void MainWindow::buildControls()
{
    QWidget* c = client();
    sourceText = makeTextBox(c, "txtBase", QStringLiteral("Source text"));
    sourceText->setGeometry(twips::rect(120, 240, 3855, 4011));
    resultText = makeTextBox(c, "txtEnd", QStringLiteral("Result text"));
    resultText->setGeometry(twips::rect(5760, 240, 3855, 4011));

    upperButton = makeButton(c, "Command1", QStringLiteral("UPPERCASE"), twips::rect(4200, 1200, 1335, 495));
    randomButton = makeButton(c, "Command5", QStringLiteral("rAnDOm"), twips::rect(4200, 2160, 1335, 495));
    lowerButton = makeButton(c, "Command2", QStringLiteral("lowercase"), twips::rect(4200, 3240, 1335, 495));

    trayPicture = new QLabel(c);
    trayPicture->setObjectName("Trayicon");
    trayPicture->setGeometry(twips::rect(4680, 360, 495, 495));
    trayPicture->setPixmap(windowIcon().pixmap(32, 32));
    trayPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    pasteButton = makeButton(c, "Command3", QStringLiteral("Paste from Clipboard"), twips::rect(960, 4440, 2175, 255));
    copyButton = makeButton(c, "Command4", QStringLiteral("Copy to Clipboard"), twips::rect(6720, 4440, 2175, 255));

    // Keyboard order: the boxes, UPPERCASE, lowercase, the clipboard buttons, rAnDOm last.
    setTabOrder(sourceText, resultText);
    setTabOrder(resultText, upperButton);
    setTabOrder(upperButton, lowerButton);
    setTabOrder(lowerButton, pasteButton);
    setTabOrder(pasteButton, copyButton);
    setTabOrder(copyButton, randomButton);

    for (QPlainTextEdit* box : {sourceText, resultText})
        box->installEventFilter(this);

    connect(upperButton, &QPushButton::clicked, this, &MainWindow::onUpperClicked);
    connect(lowerButton, &QPushButton::clicked, this, &MainWindow::onLowerClicked);
    connect(pasteButton, &QPushButton::clicked, this, &MainWindow::onPasteClicked);
    connect(copyButton, &QPushButton::clicked, this, &MainWindow::onCopyClicked);
    connect(randomButton, &QPushButton::clicked, this, &MainWindow::onRandomClicked);
}

void MainWindow::buildMenus()
{
    auto action = [this](QWidget* menu, const char* name, const QString& caption, auto handler) {
        auto* a = new QAction(caption, this);
        a->setObjectName(name);
        menu->addAction(a);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    auto conversion = [this](CaseConversion c) { return [this, c] { emit trayConversionRequested(c); }; };

    QMenuBar* bar = menuBar();
    fileMenu = bar->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName("mnuFile");
    optionsAction = action(fileMenu, "mnuOptions", QStringLiteral("&Options..."), &MainWindow::showOptions);
    exitAction = action(fileMenu, "mnuExit", QStringLiteral("E&xit"), &MainWindow::exitProgram);

    programMenu = bar->addMenu(QStringLiteral("&Tovrin"));
    programMenu->setObjectName("mnuHelpmnu");
    creditsAction = action(programMenu, "mnuCredits", QStringLiteral("C&redits"), &MainWindow::showCredits);
    aboutAction = action(programMenu, "mnuAbout", QStringLiteral("&About..."), &MainWindow::showAbout);

    minimizeAction = action(bar, "mnuMini", QStringLiteral("&Minimize to Tray"), &MainWindow::minimizeToTray);

    // Never on the menu bar: it is the tray icon's pop-up menu.
    trayMenu = new QMenu(QStringLiteral("Tray"), this);
    trayMenu->setObjectName("mnuTray");
    trayExitAction = action(trayMenu, "mnuExitT", QStringLiteral("E&xit"), &MainWindow::exitProgram);
    // Choosing it only closes the menu.
    trayCancelAction = new QAction(QStringLiteral("&Cancel"), this);
    trayCancelAction->setObjectName("mnuCancel");
    trayMenu->addAction(trayCancelAction);
    trayMenu->addSeparator()->setObjectName("kjlh");
    trayProgramMenu = trayMenu->addMenu(QStringLiteral("&Tovrin"));
    trayProgramMenu->setObjectName("mnuTovrin");
    trayCreditsAction = action(trayProgramMenu, "mnuCred", QStringLiteral("&Credits..."), &MainWindow::showCredits);
    trayAboutAction = action(trayProgramMenu, "mnuAbou", QStringLiteral("&About..."), &MainWindow::showAbout);
    trayOptionsAction = action(trayProgramMenu, "mnuOption", QStringLiteral("&Options..."), &MainWindow::showOptions);
    emailAction = action(trayProgramMenu, "mnuEmail", QStringLiteral("&Email Ardelon"), &MainWindow::sendMail);
    trayMenu->addSeparator()->setObjectName("mnuSpac");
    mainWindowAction = action(trayMenu, "mnuMain", QStringLiteral("Main &Window"), &MainWindow::showMainWindow);
    trayMenu->addSeparator()->setObjectName("mnuSpace");
    trayRandomAction = action(trayMenu, "mnuRnd", QStringLiteral("rAnDOm"), conversion(CaseConversion::Random));
    trayLowerAction = action(trayMenu, "mnuLow", QStringLiteral("&lowercase"), conversion(CaseConversion::Lower));
    trayUpperAction = action(trayMenu, "mnuUp", QStringLiteral("&UPPERCASE"), conversion(CaseConversion::Upper));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == sourceText || watched == resultText) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            static_cast<QPlainTextEdit*>(watched)->insertPlainText(QStringLiteral("\t"));
            return true;
        }
    }
    return Window::eventFilter(watched, event);
}

void MainWindow::onUpperClicked()
{
    resultText->setPlainText(upperCaseText(sourceText->toPlainText()));
}

void MainWindow::onLowerClicked()
{
    resultText->setPlainText(lowerCaseText(sourceText->toPlainText()));
}

void MainWindow::onPasteClicked()
{
    const platform::ClipboardRead read = readClipboardText();
    if (read.status == platform::ClipboardRead::Status::Unavailable) {
        platform::beeper().beep();
        return;
    }
    sourceText->setPlainText(read.textOrEmpty());
}

void MainWindow::onCopyClicked()
{
    // One replacing write: clearing first would lose the clipboard if the write failed.
    if (!replaceClipboardText(resultText->toPlainText()))
        platform::beeper().beep();
}

void MainWindow::onRandomClicked()
{
    // The result goes to the result box only; the user's clipboard is not touched.
    const std::optional<QString> result = randomCaseText(sourceText->toPlainText(), programEnding);
    // "E&xit" was chosen meanwhile.
    if (!result)
        return;
    // Events ran during the conversion: reach the window afresh.
    windows().get<MainWindow>().resultText->setPlainText(*result);
}

void MainWindow::showOptions()
{
    windows().get<OptionsDialog>().showModeless();
}

void MainWindow::showCredits()
{
    windows().get<CreditsWindow>().showModeless();
}

void MainWindow::showAbout()
{
    windows().get<AboutBox>().showModeless();
}

void MainWindow::exitProgram()
{
    tray::remove();
    endProgram();
}

void MainWindow::sendMail()
{
    openLink(QString::fromLatin1(kMakerMailLink));
}

void MainWindow::minimizeToTray()
{
    if (!tray::isAvailable() || !tray::add(tray::minimizeTip())) {
        // No icon to come back through: keep the window reachable from the task bar.
        showMinimized();
        return;
    }
    hide();
}

void MainWindow::showMainWindow()
{
    showModeless();
}

void MainWindow::onTrayRequest(platform::TrayRequest request)
{
    switch (request) {
    case platform::TrayRequest::Open:
        showMainWindow();
        break;
    case platform::TrayRequest::Menu:
        popUpTrayMenu();
        break;
    case platform::TrayRequest::None:
        break;
    }
}

void MainWindow::popUpTrayMenu()
{
    // A click on the icon while its menu is open only closes the menu.
    if (trayMenu->isVisible()) {
        trayMenu->close();
        return;
    }
    platform::NotifyIcon* icon = platform::notifyIcon();
    QRect at = icon ? icon->geometry() : QRect();
    // A host that does not say where the icon is: the pointer is on it.
    if (at.isEmpty())
        at = QRect(QCursor::pos(), QSize(1, 1));
    // Qt gives the icon's place in whole device-independent pixels; at twice the density
    // (or a fractional one) that may be half a pixel off either way, which would put the
    // menu's edge on the icon's: one pixel more all round keeps it clear.
    at.adjust(-1, -1, 1, 1);
    QScreen* screen = QGuiApplication::screenAt(at.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    trayMenu->ensurePolished();
    // The press that closes the menu (a second click on the icon) must not reach the
    // icon again and reopen it.
    trayMenu->setAttribute(Qt::WA_NoMouseReplay);
    // Runs until the menu closes; the chosen item's handler runs inside.
    trayMenu->exec(tray::menuPosition(at, screen->availableGeometry(), trayMenu->sizeHint()));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // With the icon in the tray the close box only puts the window away; otherwise
    // closing it must not leave the program running with nothing to show for it.
    event->ignore();
    if (tray::isShown())
        hide();
    else
        exitProgram();
}
