#include <QApplication>
#include <QClipboard>
#include <QTextBlock>
#include <QtTest>

#include "ui/widgets/TextBox.h"

namespace {

// One line of 2500 characters: shown as rows of 1000, 1000 and 500.
QString longLine()
{
    QString line;
    for (int i = 0; i < 2500; ++i)
        line += QChar(u'a' + i % 26);
    return line;
}

} // namespace

class TestTextBox : public QObject {
    Q_OBJECT
private slots:
    void rowsKeepTheText_data();
    void rowsKeepTheText();
    void editingAcrossRows_data();
    void editingAcrossRows();
    void copyAndUndoAcrossRows();
    void longTextGoesInPieces_data();
    void longTextGoesInPieces();
};

void TestTextBox::rowsKeepTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");
    QTest::newRow("short lines") << QStringLiteral("one\r\ntwo\nthree") << 3;
    QTest::newRow("one long line") << longLine() << 3;
    QTest::newRow("long line between line breaks") << "x\n" + longLine() + "\ny" << 5;
    // Every character two units: no row may end between them.
    QTest::newRow("emoji, a row ending mid-character") << "a" + QString::fromUtf8("😀").repeated(1200) << 3;
    QTest::newRow("letters and their marks") << QStringLiteral("e\u0301").repeated(1100) << 3;
}

void TestTextBox::rowsKeepTheText()
{
    QFETCH(QString, text);
    QFETCH(int, rows);
    TextBox box;
    box.setText(text);
    QCOMPARE(box.text(), QString(text).replace("\r\n", "\n"));
    QCOMPARE(box.document()->blockCount(), rows);
    for (QTextBlock b = box.document()->firstBlock(); b.isValid(); b = b.next()) {
        QVERIFY(b.length() <= TextBox::kLongestRow + 1);
        QVERIFY(b.text().isEmpty() || !(b.text().at(0).isLowSurrogate() || b.text().at(0).isMark()));
    }
}

void TestTextBox::editingAcrossRows_data()
{
    QTest::addColumn<int>("cursor"); // position in the box's document; 1001 starts the second row
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("at");     // where the text changes
    QTest::addColumn<int>("removed");
    QTest::addColumn<QString>("inserted");
    QTest::newRow("backspace at a row's start") << 1001 << "Backspace" << 999 << 1 << "";
    QTest::newRow("delete at a row's end") << 1000 << "Del" << 1000 << 1 << "";
    QTest::newRow("return within a row") << 1501 << "Return" << 1500 << 0 << "\n";
    QTest::newRow("return at a row's start") << 1001 << "Return" << 1000 << 0 << "\n";
    QTest::newRow("right past a row's end") << 1000 << "Right,X" << 1001 << 0 << "x";
    QTest::newRow("left past a row's start") << 1001 << "Left,X" << 999 << 0 << "x";
}

void TestTextBox::editingAcrossRows()
{
    QFETCH(int, cursor);
    QFETCH(QString, keys);
    QFETCH(int, at);
    QFETCH(int, removed);
    QFETCH(QString, inserted);
    TextBox box;
    box.setText(longLine());
    QTextCursor c = box.textCursor();
    c.setPosition(cursor);
    box.setTextCursor(c);
    for (const QString& key : keys.split(','))
        QTest::keySequence(&box, QKeySequence(key));
    QCOMPARE(box.text(), longLine().remove(at, removed).insert(at, inserted));
    // A line break typed stays one after the text is set again.
    box.setText(box.text());
    QCOMPARE(box.text(), longLine().remove(at, removed).insert(at, inserted));
}

void TestTextBox::copyAndUndoAcrossRows()
{
    TextBox box;
    box.setText(longLine());
    QTextCursor c = box.textCursor();
    c.setPosition(990);
    c.setPosition(2020, QTextCursor::KeepAnchor);
    box.setTextCursor(c);
    box.copy();
    QCOMPARE(QApplication::clipboard()->text(), longLine().mid(990, 1028));
    box.cut();
    box.undo();
    QCOMPARE(box.text(), longLine());
    // Pasted into a row: still one line.
    box.setText(QStringLiteral("ab"));
    QApplication::clipboard()->setText(longLine());
    c = box.textCursor();
    c.setPosition(1);
    box.setTextCursor(c);
    box.paste();
    QCOMPARE(box.text(), "a" + longLine() + "b");
}

void TestTextBox::longTextGoesInPieces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("given"); // what text() gives back
    QTest::addColumn<bool>("replaced"); // the box's text replaced while pieces are to come
    const QString line = longLine().repeated(int(TextBox::kPieceLength / 1000));
    QTest::newRow("one line") << line << line << false;
    const QString lines = QStringLiteral("ab\r\nc\u00a0d\re\n").repeated(int(TextBox::kPieceLength / 4));
    QTest::newRow("short lines, all kinds of break")
        << lines << QString(lines).replace("\r\n", "\n").replace('\r', '\n').replace(QChar::Nbsp, ' ') << false;
    QTest::newRow("lines and a long line") << lines.left(300000) + line << QString() << false;
    QTest::newRow("replaced meanwhile") << line << QStringLiteral("replaced") << true;
}

void TestTextBox::longTextGoesInPieces()
{
    QFETCH(QString, text);
    QFETCH(QString, given);
    QFETCH(bool, replaced);
    if (given.isNull())
        given = QString(text).replace("\r\n", "\n").replace('\r', '\n').replace(QChar::Nbsp, ' ');
    TextBox box;
    box.setText(text);
    QVERIFY(box.isTakingText());
    QVERIFY(box.isReadOnly());
    if (replaced)
        box.setPlainText(given);
    // Whatever reads the text meanwhile gets all of it.
    QCOMPARE(box.text(), given);
    QTRY_VERIFY(!box.isTakingText());
    QVERIFY(!box.isReadOnly());
    QVERIFY(!box.document()->isUndoAvailable());
    for (QTextBlock b = box.document()->firstBlock(); b.isValid(); b = b.next())
        QVERIFY(b.length() <= TextBox::kLongestRow + 1);
    // An edit makes the box read its document again: every piece and seam is in it.
    box.moveCursor(QTextCursor::End);
    QTest::keyClick(&box, Qt::Key_Exclam);
    QCOMPARE(box.text(), given + "!");
}

QTEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
