#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <optional>
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

// The same cut made a piece at a time, so that a long text can go into a box over
// several turns of the event loop.
class RowSplitter {
public:
    RowSplitter(const QString& text, qsizetype longestRow) : m_text(text), m_longestRow(longestRow) {}
    // The rows of about the next `length` characters, the last row ending with its break;
    // the rest of the text, with no break after it, once that is all there is.
    ShownRows next(qsizetype length);
    bool atEnd() const { return m_rowStart == m_text.size(); }

private:
    QString m_text;
    qsizetype m_longestRow;
    qsizetype m_rowStart = 0;
};

// The plain text box of the windows. Qt lays out and draws each line whole, and again
// at every blink of the cursor, so one line of megabytes keeps the program busy for
// seconds at a time. Such a line is shown in rows of bounded length; the rows are one
// line again wherever the text leaves the box (text(), copy, drag), and the editing keys
// treat the seam between two rows as no character at all. A long text goes in a piece
// per turn of the event loop, so that the program answers meanwhile; until the last
// piece is in, the box is read-only and text() is already the whole text.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr qsizetype kLongestRow = 1000;
    // About the most the box takes in at one turn of the event loop; the first piece, in
    // the same turn as the text is set, only as much as fills the box many times over.
    static constexpr qsizetype kPieceLength = 256 * 1024;
    static constexpr qsizetype kFirstPieceLength = 32 * 1024;

    explicit TextBox(QWidget* parent = nullptr);

    void setText(const QString& text);
    // The text as set or typed, without the breaks put in for showing.
    QString text() const;
    // Whether part of the text set is still to go into the box.
    bool isTakingText() const { return m_rest.has_value(); }

protected:
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Marks the blocks that follow `first` as rows of one line where `joined` says so.
    void markRows(const QTextBlock& first, const std::vector<bool>& joined);
    // The text between two positions of the document, seams left out.
    QString textBetween(int from, int to) const;

    // Puts `rows` at the end of the document and marks the rows among them.
    void appendRows(const ShownRows& rows);
    void appendNextPiece();
    void stopTakingText();

    // Whether any block was ever marked as a row since the text was last set.
    bool m_rowsShown = false;
    // The text as set, for as long as the document's revision says it holds that text
    // (or, while pieces are still to come, the start of it).
    QString m_setText;
    int m_setRevision = -1;
    // The pieces still to come, and what the box was before it took them.
    std::optional<RowSplitter> m_rest;
    QTimer m_pieceTimer;
    bool m_wasReadOnly = false;
    bool m_undoWasEnabled = true;
};
