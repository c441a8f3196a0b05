#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <algorithm>
#include <vector>

// A text cut into rows for showing: a line longer than `longestRow` characters becomes
// rows of at most that many, separated by '\n'; `joined[i]` says whether the break
// before row i+1 was put in for showing only (true) or is one of the text's own line
// breaks (false). Lines break where the box's document breaks them (CR LF, LF, CR, U+2029);
// a row never ends between the parts of a character or of a grapheme.
struct ShownRows {
    QString text;
    std::vector<bool> joined;
    // Whether any line was cut at all.
    bool anyJoined() const { return std::find(joined.begin(), joined.end(), true) != joined.end(); }
};
ShownRows splitLongLines(const QString& text, qsizetype longestRow);

// The plain text box of the windows. Qt lays out and draws each line whole, and again
// at every blink of the cursor, so one line of megabytes keeps the program busy for
// seconds at a time. Such a line is shown in rows of bounded length; the rows are one
// line again wherever the text leaves the box (text(), copy, drag), and the editing keys
// treat the seam between two rows as no character at all.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr qsizetype kLongestRow = 1000;

    explicit TextBox(QWidget* parent = nullptr);

    void setText(const QString& text);
    // The text as set or typed, without the breaks put in for showing.
    QString text() const;

protected:
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Marks the blocks that follow `first` as rows of one line where `joined` says so.
    void markRows(const QTextBlock& first, const std::vector<bool>& joined);
    // The text between two positions of the document, seams left out.
    QString textBetween(int from, int to) const;

    // Whether any block was ever marked as a row since the text was last set.
    bool m_rowsShown = false;
};
