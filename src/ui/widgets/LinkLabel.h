#pragma once

#include <QLabel>

// A label that is a link: opened by a click (press and release of the left button
// over it), or by Enter or Space once it has the keyboard focus, which Tab gives it.
// Assistive technology sees it as a link named by its text, with a press action.
class LinkLabel final : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& text, QWidget* parent);

    // Opens the link, as a click or a key does.
    void activate();

signals:
    void activated();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_pressed = false;
};
