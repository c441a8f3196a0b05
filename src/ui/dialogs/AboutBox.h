#pragma once

#include "ui/windows/Window.h"

class LinkLabel;
class QGroupBox;
class QLabel;
class QPushButton;

// The About box: banner, what is new in this release, the author's signature with
// the mail link, the home-page link, and the notices.
class AboutBox final : public Window {
    Q_OBJECT
public:
    explicit AboutBox(WindowContext& context);

    void onOkClicked();
    void onMailLinkClicked();
    void onGroupLinkClicked();

    QGroupBox* frame;
    QLabel* banner;
    QLabel* description;
    LinkLabel* groupLink;
    QLabel* signature;
    QLabel* signatureTitle;
    LinkLabel* mailLink;
    QPushButton* okButton;
    QLabel* trademarksLabel;
    QLabel* copyrightLabel;

private:
    void placeGroupLink();
};

// The pointer over the link labels, with its hot spot as stored in the cursor file.
QCursor linkCursor();
