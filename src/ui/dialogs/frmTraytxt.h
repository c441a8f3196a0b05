#pragma once

#include "core/Form.h"

class QAction;
class QPlainTextEdit;

// The Text Window: shows the clipboard's text as it was when the window loaded, lets
// the user edit it, and puts it back on request.
class frmTraytxt final : public Form {
    Q_OBJECT
public:
    frmTraytxt();

    void Form_Load() override;
    void mnuCopy_Click();

    QPlainTextEdit* txtText;
    QAction* mnuCopy;
};
