#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

// One block of the credits: white text on black, lines separated by CR LF, each line
// aligned on its own. It is drawn once into a picture and then only copied, because
// the blocks move every 10 ms.
class CreditText final : public QWidget {
    Q_OBJECT
public:
    CreditText(QWidget* parent, const char* name, Qt::Alignment alignment, bool wordWrap = false);

    // The text is also the block's accessible name, so screen readers can read the credits.
    void setText(const QString& text);
    QString text() const { return m_text; }
    Qt::Alignment alignment() const { return m_alignment; }
    bool wordWrap() const { return m_wordWrap; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void render();
    // The lines as shown: no CR, no final line break.
    QString shownText() const;

    QString m_text;
    Qt::Alignment m_alignment;
    bool m_wordWrap;
    QPixmap m_picture;
};
