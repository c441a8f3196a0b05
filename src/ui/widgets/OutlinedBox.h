#pragma once

#include <QGroupBox>

// A frame drawn the classic way in any colour scheme: one line midway between the
// background and the text colour, so it shows on black as on a light or dark scheme
// (the styles derive it from the background alone, which leaves it all but invisible
// on black), and a title that sits on the top line instead of pushing it down onto
// the controls below.
class OutlinedBox final : public QGroupBox {
    Q_OBJECT
public:
    explicit OutlinedBox(const QString& title, QWidget* parent);
    explicit OutlinedBox(QWidget* parent);

    // Where the lines run: the edges of this rectangle.
    QRect lineRect() const;
    QColor lineColour() const;
    // Where the title stands, on the top line.
    QRect titleRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
