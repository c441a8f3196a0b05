#include "ui/main/MainWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "core/ClipboardText.h"
#include "core/OpenLink.h"
#include "core/ProgramEnd.h"
#include "platform/Services.h"
#include "ui/credits/CreditsWindow.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/main/TrayIcon.h"
#include "ui/main/TrayMenu.h"
#include "ui/widgets/TextBox.h"
#include "ui/windows/EventTurn.h"
#include "ui/windows/Resources.h"
#include "ui/windows/Twips.h"
#include "ui/windows/WindowHolder.h"

namespace {

// Qt's text box lays its first, empty document out in the application's font before
// it takes the box's own. Built while that font is the window's, the boxes do not
// have the desktop's font and its fallbacks looked up just for that: a good part of
// the time to the first paint. Only the application-wide font is swapped, not the
// fonts the desktop gives menus and other kinds of widgets.
class DefaultFontWhileBuilding {
public:
    explicit DefaultFontWhileBuilding(const QFont& font) : m_desktop(QGuiApplication::font())
    {
        QGuiApplication::setFont(font);
    }
    ~DefaultFontWhileBuilding() { QGuiApplication::setFont(m_desktop); }
    DefaultFontWhileBuilding(const DefaultFontWhileBuilding&) = delete;
    DefaultFontWhileBuilding& operator=(const DefaultFontWhileBuilding&) = delete;

private:
    QFont m_desktop;
};

TextBox* makeTextBox(QWidget* parent, const char* name, const QString& accessibleName)
{
    auto* box = new TextBox(parent);
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

MainWindow::MainWindow(WindowContext& context)
    : Window(context)
{
    setObjectName("frmCase");
    setWindowTitle(QStringLiteral("Tovrin"));
    setWindowIcon(programIcon());
    useFixedBorder();
    setClientSizeTwips(9765, 4920);
    buildControls();
    buildMenus();
    connect(&context.tray, &TrayIcon::requested, this, &MainWindow::onTrayRequest);
    connect(&context.tray, &TrayIcon::lost, this, &MainWindow::onTrayLost);
}

MainWindow::~MainWindow()
{
    // The icon shows this window's picture and menu.
    context().tray.remove();
}

void MainWindow::buildControls()
{
    QWidget* c = client();
    std::optional<DefaultFontWhileBuilding> windowFont(std::in_place, font());
    m_sourceText = makeTextBox(c, "txtBase", QStringLiteral("Source text"));
    m_sourceText->setGeometry(twips::rect(120, 240, 3855, 4011));
    m_resultText = makeTextBox(c, "txtEnd", QStringLiteral("Result text"));
    m_resultText->setGeometry(twips::rect(5760, 240, 3855, 4011));
    windowFont.reset();

    auto* upperButton = makeButton(c, "Command1", QStringLiteral("UPPERCASE"), twips::rect(4200, 1200, 1335, 495));
    auto* randomButton = makeButton(c, "Command5", QStringLiteral("rAnDOm"), twips::rect(4200, 2160, 1335, 495));
    auto* lowerButton = makeButton(c, "Command2", QStringLiteral("lowercase"), twips::rect(4200, 3240, 1335, 495));

    m_trayPicture = new QLabel(c);
    m_trayPicture->setObjectName("Trayicon");
    m_trayPicture->setGeometry(twips::rect(4680, 360, 495, 495));
    m_trayPicture->setPixmap(windowIcon().pixmap(32, 32));
    m_trayPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* pasteButton =
        makeButton(c, "Command3", QStringLiteral("Paste from Clipboard"), twips::rect(960, 4440, 2175, 255));
    auto* copyButton =
        makeButton(c, "Command4", QStringLiteral("Copy to Clipboard"), twips::rect(6720, 4440, 2175, 255));

    // Keyboard order: the boxes, UPPERCASE, lowercase, the clipboard buttons, rAnDOm last.
    setTabOrder(m_sourceText, m_resultText);
    setTabOrder(m_resultText, upperButton);
    setTabOrder(upperButton, lowerButton);
    setTabOrder(lowerButton, pasteButton);
    setTabOrder(pasteButton, copyButton);
    setTabOrder(copyButton, randomButton);

    for (TextBox* box : {m_sourceText, m_resultText})
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
    };

    QMenuBar* bar = menuBar();
    QMenu* fileMenu = bar->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName("mnuFile");
    action(fileMenu, "mnuOptions", QStringLiteral("&Options..."), &MainWindow::showOptions);
    action(fileMenu, "mnuExit", QStringLiteral("E&xit"), &MainWindow::exitProgram);

    QMenu* programMenu = bar->addMenu(QStringLiteral("&Tovrin"));
    programMenu->setObjectName("mnuHelpmnu");
    action(programMenu, "mnuCredits", QStringLiteral("C&redits"), &MainWindow::showCredits);
    action(programMenu, "mnuAbout", QStringLiteral("&About..."), &MainWindow::showAbout);

    action(bar, "mnuMini", QStringLiteral("&Minimize to Tray"), &MainWindow::minimizeToTray);

    // Never on the menu bar: it pops up from the tray icon.
    m_trayMenu = new TrayMenu(this);
    connect(m_trayMenu, &TrayMenu::exitChosen, this, &MainWindow::exitProgram);
    connect(m_trayMenu, &TrayMenu::creditsChosen, this, &MainWindow::showCredits);
    connect(m_trayMenu, &TrayMenu::aboutChosen, this, &MainWindow::showAbout);
    connect(m_trayMenu, &TrayMenu::optionsChosen, this, &MainWindow::showOptions);
    connect(m_trayMenu, &TrayMenu::mailChosen, this, &MainWindow::sendMail);
    connect(m_trayMenu, &TrayMenu::mainWindowChosen, this, &MainWindow::showMainWindow);
    connect(m_trayMenu, &TrayMenu::conversionChosen, this, &MainWindow::trayConversionRequested);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_sourceText || watched == m_resultText) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            auto* box = static_cast<TextBox*>(watched);
            if (!box->isReadOnly())
                box->insertPlainText(QStringLiteral("\t"));
            return true;
        }
    }
    return Window::eventFilter(watched, event);
}

void MainWindow::onUpperClicked()
{
    m_resultText->setText(upperCaseText(m_sourceText->text()));
}

void MainWindow::onLowerClicked()
{
    m_resultText->setText(lowerCaseText(m_sourceText->text()));
}

void MainWindow::onPasteClicked()
{
    platform::Services& services = context().services;
    const platform::ClipboardRead read = readClipboardText(*services.clipboard);
    if (read.status == platform::ClipboardRead::Status::Unavailable) {
        services.beeper->beep();
        return;
    }
    m_sourceText->setText(read.textOrEmpty());
}

void MainWindow::onCopyClicked()
{
    // One replacing write: clearing first would lose the clipboard if the write failed.
    platform::Services& services = context().services;
    if (!replaceClipboardText(*services.clipboard, m_resultText->text()))
        services.beeper->beep();
}

void MainWindow::onRandomClicked()
{
    // The result goes to the result box only; the user's clipboard is not touched.
    WindowContext& program = context();
    const std::optional<QString> result =
        randomCaseText(m_sourceText->text(), eventTurn(program.end), program.random);
    // "E&xit" was chosen meanwhile.
    if (!result)
        return;
    // Events ran during the conversion: reach the window afresh.
    program.windows.get<MainWindow>().m_resultText->setText(*result);
}

void MainWindow::showOptions()
{
    context().windows.get<OptionsDialog>().showModeless();
}

void MainWindow::showCredits()
{
    context().windows.get<CreditsWindow>().showModeless();
}

void MainWindow::showAbout()
{
    context().windows.get<AboutBox>().showModeless();
}

void MainWindow::exitProgram()
{
    context().tray.remove();
    context().end.end();
}

void MainWindow::sendMail()
{
    openLink(*context().services.links, QString::fromLatin1(kMakerMailLink));
}

void MainWindow::minimizeToTray()
{
    if (!context().tray.isAvailable() || !putInTray(tray::minimizeTip())) {
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

QIcon MainWindow::trayPictureIcon() const
{
    return QIcon(m_trayPicture->pixmap());
}

bool MainWindow::putInTray(const QString& tip)
{
    return context().tray.add(trayPictureIcon(), m_trayMenu, tip);
}

void MainWindow::putInTrayOnceAvailable(const QString& tip)
{
    context().tray.want(trayPictureIcon(), m_trayMenu, tip);
}

void MainWindow::onTrayLost()
{
    if (!isVisible())
        showMainWindow();
}

void MainWindow::onTrayRequest(platform::TrayRequest request)
{
    switch (request) {
    case platform::TrayRequest::Open:
        showMainWindow();
        break;
    case platform::TrayRequest::Menu:
        m_trayMenu->popUpBeside(context().tray.geometry());
        break;
    case platform::TrayRequest::None:
        break;
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // With the icon in the tray the close box only puts the window away; otherwise
    // closing it must not leave the program running with nothing to show for it.
    event->ignore();
    if (context().tray.isShown())
        hide();
    else
        exitProgram();
}
