#pragma once

#include "core/Window.h"

class QAction;
class QPlainTextEdit;

// The Text Window: shows the clipboard's text as it was when the window loaded, lets
// the user edit it, and puts it back on request.
class TextWindow final : public Window {
    Q_OBJECT
public:
    TextWindow();

    void onLoad() override;
    void onCopyClicked();

    QPlainTextEdit* textBox;
    QAction* copyAction;
};
