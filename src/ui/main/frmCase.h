#pragma once

#include "core/Form.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

// The main window: source and result boxes, the transform and clipboard buttons,
// the menu bar, and the hidden menu that pops up from the tray icon.
class frmCase final : public Form {
    Q_OBJECT
public:
    frmCase();

    void Form_Load() override;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

    void mnuOptions_Click();
    void mnuOption_Click();
    void mnuCredits_Click();
    void mnuCred_Click();
    void mnuAbout_Click();
    void mnuAbou_Click();
    void mnuExit_Click();
    void mnuExitT_Click();
    void mnuEmail_Click();
    void mnuMini_Click();
    void mnuMain_Click();
    void mnuUp_Click();
    void mnuLow_Click();
    void mnuRnd_Click();

    // The tray icon's mouse message, by its number (0x201 left press ... 0x209).
    void Trayicon_MouseMove(int mouseMessage);

    QPlainTextEdit* txtBase;
    QPlainTextEdit* txtEnd;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QLabel* Trayicon;

    QMenu* mnuFile;
    QAction* mnuOptions;
    QAction* mnuExit;
    QMenu* mnuHelpmnu;
    QAction* mnuCredits;
    QAction* mnuAbout;
    QAction* mnuMini;
    QMenu* mnuTray;
    QAction* mnuExitT;
    QAction* mnuCancel;
    QMenu* mnuTovrin;
    QAction* mnuCred;
    QAction* mnuAbou;
    QAction* mnuOption;
    QAction* mnuEmail;
    QAction* mnuMain;
    QAction* mnuRnd;
    QAction* mnuLow;
    QAction* mnuUp;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
};

// The maker's contact address, used by every mail link of the program.
inline constexpr const char* kMakerMailLink = "mailto:tovrin@ardelon.example";
