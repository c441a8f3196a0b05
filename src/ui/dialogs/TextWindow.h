#pragma once

#include "ui/widgets/TextBox.h"
#include "ui/windows/Window.h"

class QAction;

// The Text Window: shows the clipboard's text as it was when the window loaded, lets
// the user edit it, and puts it back on request.
class TextWindow final : public Window {
    Q_OBJECT
public:
    explicit TextWindow(WindowContext& context);

    void onLoad() override;
    void onCopyClicked();

    TextBox* textBox;
    QAction* copyAction;
};
