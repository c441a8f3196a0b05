#pragma once

#include "convert/CaseTransforms.h"
#include "core/Window.h"
#include "platform/NotifyIcon.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

// The main window: source and result boxes, the transform and clipboard buttons,
// the menu bar, and the hidden menu that pops up from the tray icon.
class MainWindow final : public Window {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    void onUpperClicked();
    void onLowerClicked();
    void onPasteClicked();
    void onCopyClicked();
    void onRandomClicked();

    void showOptions();
    void showCredits();
    void showAbout();
    // Takes the icon away and ends the program at once.
    void exitProgram();
    void sendMail();
    void minimizeToTray();
    void showMainWindow();
    // What the user asked of the tray icon: open shows this window, menu pops up the
    // tray menu beside the icon (and returns when it closes).
    void onTrayRequest(platform::TrayRequest request);

    QPlainTextEdit* sourceText;
    QPlainTextEdit* resultText;
    QPushButton* upperButton;
    QPushButton* lowerButton;
    QPushButton* pasteButton;
    QPushButton* copyButton;
    QPushButton* randomButton;
    QLabel* trayPicture;

    QMenu* fileMenu;
    QAction* optionsAction;
    QAction* exitAction;
    QMenu* programMenu;
    QAction* creditsAction;
    QAction* aboutAction;
    QAction* minimizeAction;
    QMenu* trayMenu;
    QAction* trayExitAction;
    QAction* trayCancelAction;
    QMenu* trayProgramMenu;
    QAction* trayCreditsAction;
    QAction* trayAboutAction;
    QAction* trayOptionsAction;
    QAction* emailAction;
    QAction* mainWindowAction;
    QAction* trayRandomAction;
    QAction* trayLowerAction;
    QAction* trayUpperAction;

signals:
    // A conversion of the clipboard's text chosen from the tray menu.
    void trayConversionRequested(CaseConversion conversion);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Ctrl+Tab in a text box types a tab character.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void popUpTrayMenu();
};
