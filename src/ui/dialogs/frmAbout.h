#pragma once

#include "core/Form.h"

class QGroupBox;
class QLabel;
class QPushButton;

// The About box: banner, what is new in this release, the author's signature with
// the mail link, the home-page link, and the notices.
class frmAbout final : public Form {
    Q_OBJECT
public:
    frmAbout();

    void Command1_Click();
    void Label6_Click();
    void Label7_Click();

    QGroupBox* Frame1;
    QLabel* Picture1;
    QLabel* Label1;
    QLabel* Label7;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label6;
    QPushButton* Command1;
    QLabel* Label5;
    QLabel* Label4;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_pressed = nullptr;
};

// The home page behind the group's name.
inline constexpr const char* kHomePageLink = "http://www.qwirl.example/";

// The pointer over the link labels, with its hot spot as stored in the cursor file.
QCursor LinkCursor();
