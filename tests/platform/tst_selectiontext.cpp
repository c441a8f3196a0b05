// What the X11 clipboard reader takes as text: each encoding an owner may declare,
// read exactly or refused. The compound text samples with escapes are what libX11
// itself produces (Xutf8TextListToTextProperty in a UTF-8 locale).
#include <QtTest>

#include "platform/x11/SelectionText.h"

using platform::x11::TextEncoding;

class TestSelectionText : public QObject {
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
};

namespace {

QByteArray bytes(const char* data, qsizetype size)
{
    return QByteArray(data, size);
}

} // namespace

void TestSelectionText::decode_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("text");
    const int utf8 = int(TextEncoding::Utf8);
    const int latin1 = int(TextEncoding::Latin1);
    const int compound = int(TextEncoding::CompoundText);
    const QString mixed = QStringLiteral("Grüße, Привет 😀\tzwei\r\n");

    QTest::newRow("UTF-8, mixed scripts") << utf8 << mixed.toUtf8() << true << mixed;
    // Decoded in pieces of a megabyte: characters of every width straddle their edges.
    const QString longMixed = QStringLiteral("a😀ß€ ").repeated(300000);
    QTest::newRow("UTF-8, megabytes of every width") << utf8 << longMixed.toUtf8() << true << longMixed;
    QTest::newRow("UTF-8, a bad byte megabytes in") << utf8 << longMixed.toUtf8() + "\xff" + longMixed.toUtf8() << false
                                                   << QString();
    QTest::newRow("UTF-8, empty") << utf8 << QByteArray() << true << QString();
    QTest::newRow("UTF-8, a leading BOM is text") << utf8 << QByteArray("\xef\xbb\xbf" "a") << true << QStringLiteral("\ufeffa");
    QTest::newRow("UTF-8, one trailing NUL dropped") << utf8 << bytes("ab\0\0", 4) << true << QString::fromLatin1("ab\0", 3);
    QTest::newRow("UTF-8, Latin-1 bytes") << utf8 << QByteArray("Gr\xfc\xdf" "e") << false << QString();
    QTest::newRow("UTF-8, lone continuation byte") << utf8 << QByteArray("a\x80" "b") << false << QString();
    QTest::newRow("UTF-8, overlong slash") << utf8 << QByteArray("\xc0\xaf") << false << QString();
    QTest::newRow("UTF-8, surrogate") << utf8 << QByteArray("a\xed\xa0\x80") << false << QString();
    QTest::newRow("UTF-8, beyond U+10FFFF") << utf8 << QByteArray("\xf4\x90\x80\x80") << false << QString();
    QTest::newRow("UTF-8, cut in a character") << utf8 << QByteArray("ab\xe2\x82") << false << QString();

    QTest::newRow("STRING, Latin-1") << latin1 << QByteArray("caf\xe9 \xbd\xff") << true << QStringLiteral("café ½ÿ");
    QTest::newRow("STRING, empty") << latin1 << QByteArray() << true << QString();

    QTest::newRow("compound, Latin-1 without escapes") << compound << QByteArray("Gr\xfc\xdf" "e, caf\xe9\tx\n")
                                                       << true << QStringLiteral("Grüße, café\tx\n");
    QTest::newRow("compound, Greek and Cyrillic")
        << compound << QByteArray("\x1b-F\xd9mega \x1b-L\xbf\xe0\xd8\xd2\xd5\xe2") << true
        << QStringLiteral("Ωmega Привет");
    QTest::newRow("compound, back to Latin-1, then 8859-15")
        << compound << QByteArray("\x1b-L\xa1\xb6\x1b-A\xbd\x1b-b\xa4") << true << QStringLiteral("ЁЖ½€");
    QTest::newRow("compound, JIS X 0208 in GL")
        << compound << QByteArray("\x1b$(BF|K\\8l%F%-%9%H") << true << QStringLiteral("日本語テキスト");
    QTest::newRow("compound, KS C 5601, ASCII space, JIS X 0208")
        << compound << QByteArray("\x1b$(CGQ19>n\x1b(B \x1b$(BCfJ8") << true << QStringLiteral("한국어 中文");
    QTest::newRow("compound, JIS X 0208 in GR") << compound << QByteArray("a\x1b$)B\xc6\xfc\xcb\xdc" "b") << true
                                                << QStringLiteral("a日本b");
    QTest::newRow("compound, GB 2312") << compound << QByteArray("\x1b$(AVPND") << true << QStringLiteral("中文");
    QTest::newRow("compound, JIS X 0212") << compound << QByteArray("\x1b$(D0!") << true << QStringLiteral("丂");
    QTest::newRow("compound, JIS X 0201 both halves")
        << compound << QByteArray("\x1b(J\\~a\x1b)I\xb1") << true << QStringLiteral("¥‾aｱ");
    QTest::newRow("compound, UTF-8 segment") << compound << QByteArray("\x1b%G\xf0\x9f\x98\x80\x1b%@ ok") << true
                                             << QStringLiteral("😀 ok");
    QTest::newRow("compound, extended segment in KOI8-R")
        << compound << QByteArray("a\x1b%/1\x80\x8akoi8-r\x02\xf0\xf2\xe9" "b") << true << QStringLiteral("aПРИb");
    QTest::newRow("compound, direction marks") << compound << QByteArray("\x9b" "2]abc\x9b]") << true
                                               << QStringLiteral("abc");
    QTest::newRow("compound, empty") << compound << QByteArray() << true << QString();

    QTest::newRow("compound, unknown character set") << compound << QByteArray("\x1b(ZAB") << false << QString();
    QTest::newRow("compound, escape cut short") << compound << QByteArray("ab\x1b$(") << false << QString();
    QTest::newRow("compound, half a double-byte character") << compound << QByteArray("\x1b$(BF|K") << false
                                                            << QString();
    QTest::newRow("compound, C1 control") << compound << QByteArray("a\x85" "b") << false << QString();
    QTest::newRow("compound, 0xA0 in a 94-character set") << compound << QByteArray("\x1b$)B\xa0\xa0") << false
                                                          << QString();
    QTest::newRow("compound, 0xA0 in JIS X 0201 katakana") << compound << QByteArray("\x1b)I\xb1\xa0") << false
                                                           << QString();
    QTest::newRow("compound, no-break space and ÿ in Latin-1") << compound << QByteArray("a\xa0\xff") << true
                                                               << QStringLiteral("a\u00a0ÿ");
    QTest::newRow("compound, unassigned in ISO 8859-3") << compound << QByteArray("\x1b-C\xa5") << false << QString();
    QTest::newRow("compound, unassigned in JIS X 0208") << compound << QByteArray("\x1b$(B/!") << false << QString();
    QTest::newRow("compound, invalid UTF-8 segment") << compound << QByteArray("\x1b%G\xff\x1b%@") << false
                                                     << QString();
    QTest::newRow("compound, extended segment of unknown name")
        << compound << QByteArray("\x1b%/1\x80\x86" "abcd\x02x") << false << QString();
    QTest::newRow("compound, extended segment longer than the text")
        << compound << QByteArray("\x1b%/1\x80\x9fkoi8-r\x02\xf0") << false << QString();
    QTest::newRow("compound, unknown control sequence") << compound << QByteArray("\x9b" "5mx") << false << QString();
}

void TestSelectionText::decode()
{
    QFETCH(int, encoding);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readable);
    QFETCH(QString, text);
    const std::optional<QString> decoded = platform::x11::decodeSelectionText(TextEncoding(encoding),
                                                                                  QByteArray(bytes.constData(), bytes.size()));
    QCOMPARE(decoded.has_value(), readable);
    if (readable)
        QCOMPARE(*decoded, text);
}

QTEST_GUILESS_MAIN(TestSelectionText)
#include "tst_selectiontext.moc"
