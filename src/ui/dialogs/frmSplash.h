#pragma once

#include "core/Form.h"

class QCloseEvent;
class QFrame;
class QKeyEvent;
class QLabel;
class QMouseEvent;
class QPaintEvent;

// The start-up greeting: logo, maker, product, version. No timer: it waits for a
// click anywhere on it or a key that types a character, then hides (staying loaded)
// and start-up goes on as it would have without it.
class frmSplash final : public Form {
    Q_OBJECT
public:
    frmSplash();

    void Form_Load() override;

    // Every part of the window dismisses it: the labels and the frame pass their
    // clicks on to the window.
    void Form_Click();
    void Form_KeyPress(int KeyAscii);

    QFrame* Frame1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* lblCompanyProduct;
    QLabel* lblProductName;
    QLabel* lblPlatform;
    QLabel* lblVersion;
    QLabel* lblCopyright;
    QLabel* lblCompany;
    QLabel* lblWarning;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void dismiss();

    bool m_pressed = false;
};
