#pragma once

#include "core/Form.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The Options dialog. Its controls are the program's settings in memory for the whole
// run: whoever needs a setting reads it here (loading the window, hidden, refills them
// from the store). OK stores them; Cancel and the close box drop unconfirmed changes.
class frmOptions final : public Form {
    Q_OBJECT
public:
    frmOptions();

    void Form_Load() override;

    void Command1_Click();
    void Command2_Click();
    void optCopy_Click();
    void optOpen_Click();

    QGroupBox* Frame1;
    QCheckBox* ckSplash;
    QCheckBox* ckTrayst;
    QGroupBox* Frame2;
    QLabel* Label1;
    QRadioButton* optOpen;
    QRadioButton* optCopy;
    QPushButton* Command2;
    QPushButton* Command1;
};
