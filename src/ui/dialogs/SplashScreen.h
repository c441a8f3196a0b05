#pragma once

#include "ui/windows/Window.h"

class QCloseEvent;
class QFrame;
class QKeyEvent;
class QLabel;
class QMouseEvent;
class QPaintEvent;

// The start-up greeting: logo, maker, product, version. No timer: it waits for a
// click anywhere on it or a key that types a character, then hides (staying loaded)
// and says so (dismissed), for start-up to go on as it would have without it.
class SplashScreen final : public Window {
    Q_OBJECT
public:
    explicit SplashScreen(WindowContext& context);

    void onLoad() override;

    // Every part of the window dismisses it: the labels and the frame pass their
    // clicks on to the window.
    void onClicked();
    void onKeyTyped(int character);

    QFrame* frame;
    QLabel* logoLetter;
    QLabel* logoInnerLetter;
    QLabel* companyLabel;
    QLabel* productLabel;
    QLabel* platformLabel;
    QLabel* versionLabel;
    QLabel* rightsLabel;
    QLabel* copyrightLabel;
    QLabel* warningLabel;

signals:
    // Put away by the user: start-up goes on from here.
    void dismissed();

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
