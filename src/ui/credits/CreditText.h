#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

// One block of the credits: white text on black, lines separated by CR LF, each line
// aligned on its own. It is drawn once into a picture and then only copied, because
// the blocks move every 10 ms.
class CreditText final : public QWidget {
public:
    CreditText(QWidget* parent, const char* name, Qt::Alignment alignment, bool wordWrap = false);

    void setText(const QString& text);
    QString text() const { return m_text; }
    Qt::Alignment alignment() const { return m_alignment; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void render();

    QString m_text;
    Qt::Alignment m_alignment;
    bool m_wordWrap;
    QPixmap m_picture;
};
