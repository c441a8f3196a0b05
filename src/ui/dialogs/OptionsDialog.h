#pragma once

#include "core/Settings.h"
#include "ui/windows/Window.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The Options dialog. Loading it reloads the settings from the registry; its controls
// edit the settings in memory as the user goes, so an unconfirmed choice already
// steers the program. OK stores them; Cancel and the close box put back the values
// the dialog loaded with.
class OptionsDialog final : public Window {
    Q_OBJECT
public:
    explicit OptionsDialog(WindowContext& context);

    void onLoad() override;

    void onOkClicked();
    void onCancelClicked();

    QGroupBox* generalFrame;
    QCheckBox* showSplashCheck;
    QCheckBox* placeInTrayCheck;
    QGroupBox* trayFrame;
    QLabel* afterSwitchingLabel;
    QRadioButton* openOption;
    QRadioButton* copyOption;
    QButtonGroup* optionGroup;
    QPushButton* cancelButton;
    QPushButton* okButton;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showValues(const Settings& values);
    // The controls' state into the settings in memory.
    void takeValues();
    void unloadSettings();

    Settings m_loaded;
};
