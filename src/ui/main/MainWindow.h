#pragma once

#include <QIcon>

#include "convert/CaseTransforms.h"
#include "platform/NotifyIcon.h"
#include "ui/windows/Window.h"

class QLabel;
class TextBox;
class TrayMenu;

// The main window: source and result boxes, the transform and clipboard buttons,
// the menu bar, and the hidden menu that pops up from the tray icon.
class MainWindow final : public Window {
    Q_OBJECT
public:
    explicit MainWindow(WindowContext& context);
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
    // Puts this window's picture and tray menu in the notification area with `tip`;
    // false when there is no icon to see.
    bool putInTray(const QString& tip);
    // The same as soon as a notification area appears, none being there now.
    void putInTrayOnceAvailable(const QString& tip);
    // What the user asked of the tray icon: open shows this window, menu pops up the
    // tray menu beside the icon (and returns when it closes).
    void onTrayRequest(platform::TrayRequest request);

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
    QIcon trayPictureIcon() const;
    // The notification area went away with the icon: the user gets this window back
    // if the icon was all there was.
    void onTrayLost();

    TextBox* m_sourceText;
    TextBox* m_resultText;
    QLabel* m_trayPicture;
    TrayMenu* m_trayMenu;
};
