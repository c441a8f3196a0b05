#pragma once

#include <QMenu>

#include "convert/CaseTransforms.h"

// The tray icon's pop-up menu (mnuTray): the program's commands and the three
// conversions of the clipboard's text. It only says what was chosen.
class TrayMenu final : public QMenu {
    Q_OBJECT
public:
    explicit TrayMenu(QWidget* parent);

    // Opens beside the icon at `icon` (under the pointer when the host does not say
    // where it is) and returns once the menu closes; the chosen item's signal comes
    // inside. Asked while the menu is open, it only closes it.
    void popUpBeside(QRect icon);

signals:
    void exitChosen();
    void creditsChosen();
    void aboutChosen();
    void optionsChosen();
    void mailChosen();
    void mainWindowChosen();
    void conversionChosen(CaseConversion conversion);
};
