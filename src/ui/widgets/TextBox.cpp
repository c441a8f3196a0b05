#include "ui/widgets/TextBox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>

#include <limits>

namespace {

// Set on a block that goes on the line of the block before it.
constexpr int kJoinedProperty = QTextFormat::UserProperty + 0x7a11;

// The characters at which the document starts a new block.
bool breaksBlock(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'\n' || u == u'\r' || u == QChar::ParagraphSeparator || u == 0xfdd0 || u == 0xfdd1;
}

// The last place at or before `cut`, and after `rowStart`, where a grapheme ends; `cut`
// itself when there is none (a single grapheme longer than a row).
qsizetype graphemeEnd(const QString& text, qsizetype rowStart, qsizetype cut)
{
    constexpr qsizetype kLookAround = 32;
    const qsizetype from = std::max(rowStart, cut - kLookAround);
    const qsizetype to = std::min(text.size(), cut + kLookAround);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.constData() + from, int(to - from));
    finder.setPosition(int(cut - from));
    if (finder.isAtBoundary())
        return cut;
    const qsizetype before = finder.toPreviousBoundary();
    return before > 0 ? from + before : cut;
}

// The characters that the document gives back otherwise than they were put in.
inline bool storedOtherwise(char16_t u)
{
    if (u < QChar::Nbsp)
        return u == u'\r';
    return u == QChar::Nbsp || u == QChar::ParagraphSeparator || u == QChar::LineSeparator || u == 0xfdd0
        || u == 0xfdd1;
}

// The first of them from `from` on, or `end`.
const char16_t* firstStoredOtherwise(const char16_t* from, const char16_t* end)
{
    // A block at a time, with no branch inside, which the compiler makes vector code of:
    // most text has none of them at all.
    constexpr int kBlock = 32;
    for (; end - from >= kBlock; from += kBlock) {
        int any = 0;
        for (int j = 0; j < kBlock; ++j)
            any |= int(from[j] == u'\r') | int(from[j] >= QChar::Nbsp);
        if (any)
            break;
    }
    return std::find_if(from, end, storedOtherwise);
}

// `text` as the document's plain text gives it back: every line break as LF, a no-break
// space as a space.
QString asDocumentGivesBack(const QString& text)
{
    const char16_t* begin = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* end = begin + text.size();
    const char16_t* first = firstStoredOtherwise(begin, end);
    if (first == end)
        return text;
    QString out(text.size(), Qt::Uninitialized);
    auto* to = reinterpret_cast<char16_t*>(out.data());
    to = std::copy(begin, first, to);
    for (const char16_t* from = first; from != end; ++from) {
        const char16_t u = *from;
        if (!storedOtherwise(u))
            *to++ = u;
        else if (u == QChar::Nbsp)
            *to++ = u' ';
        else {
            *to++ = u'\n';
            if (u == u'\r' && from + 1 != end && from[1] == u'\n')
                ++from;
        }
    }
    out.truncate(to - reinterpret_cast<const char16_t*>(out.constData()));
    return out;
}

bool isJoined(const QTextBlock& block)
{
    return block.isValid() && block.blockFormat().boolProperty(kJoinedProperty);
}

} // namespace

ShownRows splitLongLines(const QString& text, qsizetype longestRow)
{
    return RowSplitter(text, longestRow).next(std::numeric_limits<qsizetype>::max());
}

ShownRows RowSplitter::next(qsizetype length)
{
    ShownRows rows;
    const QString& text = m_text;
    const qsizetype n = text.size();
    const qsizetype wanted = std::min(length, n - m_rowStart);
    rows.text.reserve(wanted + wanted / m_longestRow + 1);
    qsizetype rowStart = m_rowStart;
    qsizetype i = rowStart;
    while (i < n) {
        const QChar c = text.at(i);
        if (breaksBlock(c)) {
            i += (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') ? 2 : 1;
            rows.text.append(QStringView(text).mid(rowStart, i - rowStart));
            rows.joined.push_back(false);
            rowStart = i;
        } else if (i - rowStart == m_longestRow) {
            i = graphemeEnd(text, rowStart, i);
            rows.text.append(QStringView(text).mid(rowStart, i - rowStart));
            rows.text.append(u'\n');
            rows.joined.push_back(true);
            rowStart = i;
        } else {
            ++i;
            continue;
        }
        if (rows.text.size() >= length && i < n) {
            m_rowStart = rowStart;
            return rows;
        }
    }
    rows.text.append(QStringView(text).mid(rowStart));
    m_rowStart = n;
    return rows;
}

TextBox::TextBox(QWidget* parent)
    : QPlainTextEdit(parent)
{
    connect(&m_pieceTimer, &QTimer::timeout, this, &TextBox::appendNextPiece);
}

void TextBox::setText(const QString& text)
{
    stopTakingText();
    m_rowsShown = false;
    RowSplitter splitter(text, kLongestRow);
    const ShownRows first = splitter.next(kFirstPieceLength);
    setPlainText(first.text);
    QTextDocument* doc = document();
    if (first.anyJoined()) {
        // The rows are part of the text as set, not a step the user could undo.
        const bool undo = doc->isUndoRedoEnabled();
        doc->setUndoRedoEnabled(false);
        markRows(doc->firstBlock(), first.joined);
        doc->setUndoRedoEnabled(undo);
    }
    m_setText = asDocumentGivesBack(text);
    m_setRevision = doc->revision();
    if (splitter.atEnd())
        return;
    // Nothing may be typed into a text that is not all there, nor undone piece by piece.
    m_wasReadOnly = isReadOnly();
    m_undoWasEnabled = doc->isUndoRedoEnabled();
    setReadOnly(true);
    doc->setUndoRedoEnabled(false);
    m_rest.emplace(std::move(splitter));
    m_pieceTimer.start(0);
}

void TextBox::appendNextPiece()
{
    // Something else set the text meanwhile: the rest belongs to a text no longer shown.
    if (document()->revision() != m_setRevision)
        return stopTakingText();
    appendRows(m_rest->next(kPieceLength));
    m_setRevision = document()->revision();
    if (m_rest->atEnd())
        stopTakingText();
}

void TextBox::appendRows(const ShownRows& rows)
{
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    const QTextBlock first = end.block();
    end.insertText(rows.text);
    // New blocks take the format of the last one: it only needs setting where that differs.
    if (rows.anyJoined() || isJoined(first))
        markRows(first, rows.joined);
}

void TextBox::stopTakingText()
{
    if (!m_rest)
        return;
    m_pieceTimer.stop();
    m_rest.reset();
    setReadOnly(m_wasReadOnly);
    document()->setUndoRedoEnabled(m_undoWasEnabled);
}

void TextBox::markRows(const QTextBlock& first, const std::vector<bool>& joined)
{
    // One edit: the layout then forgets the blocks concerned instead of laying out each
    // again as it changes.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    QTextBlock block = first;
    for (const bool join : joined) {
        block = block.next();
        m_rowsShown = m_rowsShown || join;
        if (isJoined(block) == join)
            continue;
        QTextBlockFormat format = block.blockFormat();
        if (join)
            format.setProperty(kJoinedProperty, true);
        else
            format.clearProperty(kJoinedProperty);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
    cursor.endEditBlock();
}

QString TextBox::textBetween(int from, int to) const
{
    const QString plain = document()->toPlainText();
    QString out;
    qsizetype copied = from;
    for (QTextBlock block = document()->findBlock(from).next(); block.isValid(); block = block.next()) {
        const int seam = block.position() - 1;
        if (seam >= to)
            break;
        if (!isJoined(block))
            continue;
        if (out.isNull())
            out.reserve(to - from);
        out.append(QStringView(plain).mid(copied, seam - copied));
        copied = seam + 1;
    }
    if (out.isNull())
        return from == 0 && to == plain.size() ? plain : plain.mid(from, to - from);
    out.append(QStringView(plain).mid(copied, to - copied));
    return out;
}

QString TextBox::text() const
{
    if (document()->revision() == m_setRevision)
        return m_setText;
    // Without a long line there is nothing to join, and no block needs looking at.
    if (!m_rowsShown)
        return toPlainText();
    return textBetween(0, document()->characterCount() - 1);
}

QMimeData* TextBox::createMimeDataFromSelection() const
{
    if (!m_rowsShown)
        return QPlainTextEdit::createMimeDataFromSelection();
    const QTextCursor cursor = textCursor();
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    for (QTextBlock block = document()->findBlock(from).next(); block.isValid() && block.position() <= to;
         block = block.next()) {
        if (isJoined(block)) {
            auto* data = new QMimeData;
            data->setText(textBetween(from, to));
            return data;
        }
    }
    return QPlainTextEdit::createMimeDataFromSelection();
}

void TextBox::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || !source->hasText())
        return QPlainTextEdit::insertFromMimeData(source);
    const ShownRows rows = splitLongLines(source->text(), kLongestRow);
    if (!rows.anyJoined())
        return QPlainTextEdit::insertFromMimeData(source);
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const QTextBlock first = cursor.block();
    // New blocks take the format of the one they are split from: every one is set.
    cursor.insertText(rows.text);
    markRows(first, rows.joined);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    QTextCursor cursor = textCursor();
    if (!isReadOnly() && isJoined(cursor.block()) && event->matches(QKeySequence::InsertParagraphSeparator)) {
        // A new line of the user's own, not a row of the one it is typed in.
        QTextBlockFormat format = cursor.blockFormat();
        format.clearProperty(kJoinedProperty);
        cursor.insertBlock(format);
        setTextCursor(cursor);
        ensureCursorVisible();
        return;
    }
    const bool seamBefore = cursor.atBlockStart() && isJoined(cursor.block());
    const bool seamAfter = cursor.atBlockEnd() && isJoined(cursor.block().next());
    if (!seamBefore && !seamAfter)
        return QPlainTextEdit::keyPressEvent(event);
    // The end of a row and the start of the next are one place in the text: the keys
    // that move or delete one character go past both.
    const bool selecting = event->matches(QKeySequence::SelectPreviousChar) || event->matches(QKeySequence::SelectNextChar);
    if (cursor.hasSelection() && !selecting)
        return QPlainTextEdit::keyPressEvent(event);
    const bool back = event->matches(QKeySequence::MoveToPreviousChar) || event->matches(QKeySequence::SelectPreviousChar);
    const bool forward = event->matches(QKeySequence::MoveToNextChar) || event->matches(QKeySequence::SelectNextChar);
    const auto anchor = selecting ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    if ((event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier && seamBefore)
        || (event->matches(QKeySequence::Delete) && seamAfter)) {
        cursor.movePosition(seamBefore ? QTextCursor::PreviousCharacter : QTextCursor::NextCharacter);
        setTextCursor(cursor);
    } else if ((back && seamBefore) || (forward && seamAfter)) {
        cursor.movePosition(back ? QTextCursor::PreviousCharacter : QTextCursor::NextCharacter, anchor);
        setTextCursor(cursor);
    }
    QPlainTextEdit::keyPressEvent(event);
}
