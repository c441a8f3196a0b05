#include <QLocale>
#include <QtTest>

#include "convert/CaseTransforms.h"

#if defined(TOVRIN_HAVE_ICU)
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#endif

class tst_CaseTransforms final : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void initTestCase() { cleanup(); }

    void transforms_data();
    void transforms();
    void longTextCrossesBlockBoundaries_data();
    void longTextCrossesBlockBoundaries();
    void oneToOneMappingMatchesIcu();
    void finalSigmaContextMatchesIcu();
};

namespace {

QString points(std::initializer_list<char32_t> list)
{
    QString s;
    for (char32_t c : list)
        s += QString::fromUcs4(&c, 1);
    return s;
}

QString lone(char16_t unit) { return QString(QChar(unit)); }

} // namespace

void tst_CaseTransforms::transforms_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");

    const QString en = QStringLiteral("en_US");
    QTest::newRow("caption") << en << u"rAnDOm"_qs << u"RANDOM"_qs << u"random"_qs;
    QTest::newRow("ascii sentence") << en << u"Hello, World! 42 times_@[`{~"_qs
                                    << u"HELLO, WORLD! 42 TIMES_@[`{~"_qs
                                    << u"hello, world! 42 times_@[`{~"_qs;
    QTest::newRow("empty") << en << QString() << QString() << QString();
    QTest::newRow("digits and punctuation") << en << u"0123456789 !\"#$%&'()*+,-./:;<=>?"_qs
                                            << u"0123456789 !\"#$%&'()*+,-./:;<=>?"_qs
                                            << u"0123456789 !\"#$%&'()*+,-./:;<=>?"_qs;
    QTest::newRow("CR LF in place") << en << u"ab\r\nCd\r\n"_qs << u"AB\r\nCD\r\n"_qs
                                    << u"ab\r\ncd\r\n"_qs;
    QTest::newRow("latin-1 accents") << en << u"àéîõüçñ ÀÉÎÕÜÇÑ"_qs << u"ÀÉÎÕÜÇÑ ÀÉÎÕÜÇÑ"_qs
                                     << u"àéîõüçñ àéîõüçñ"_qs;
    QTest::newRow("latin-1 letters leaving latin-1") << en << u"ÿµ"_qs << u"\u0178\u039C"_qs
                                                     << u"ÿµ"_qs;
    QTest::newRow("sharp s keeps its length") << en << u"straße STRASSE"_qs
                                              << u"STRAßE STRASSE"_qs << u"straße strasse"_qs;
    QTest::newRow("capital sharp s") << en << u"\u1E9E"_qs << u"\u1E9E"_qs << u"ß"_qs;
    QTest::newRow("titlecase digraph") << en << u"\u01C5"_qs << u"\u01C4"_qs << u"\u01C6"_qs;
    QTest::newRow("greek with ypogegrammeni") << en << u"\u1FB3\u1F80\u1FBC"_qs
                                              << u"\u1FBC\u1F88\u1FBC"_qs
                                              << u"\u1FB3\u1F80\u1FB3"_qs;
    QTest::newRow("cyrillic") << en << u"Москва ёЁ"_qs << u"МОСКВА ЁЁ"_qs << u"москва ёё"_qs;
    QTest::newRow("no case: CJK and emoji") << en << u"漢字かな 😀"_qs << u"漢字かな 😀"_qs
                                            << u"漢字かな 😀"_qs;

    // Dotted and dotless i: one-to-one everywhere, tailored in Turkish and Azerbaijani.
    QTest::newRow("turkish i in english") << en << u"iIİı"_qs << u"IIİI"_qs << u"iiiı"_qs;
    QTest::newRow("turkish i in turkish") << u"tr_TR"_qs << u"iIİı"_qs << u"İIİI"_qs
                                          << u"iıiı"_qs;
    QTest::newRow("turkish words") << u"tr_TR"_qs << u"istanbul ISPARTA İzmir ılık"_qs
                                   << u"İSTANBUL ISPARTA İZMİR ILIK"_qs
                                   << u"istanbul ısparta izmir ılık"_qs;
    QTest::newRow("turkish in a long ascii run") << u"tr_TR"_qs
                                                 << u"abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ"_qs
                                                 << u"ABCDEFGHİJKLMNOPQRSTUVWXYZ ABCDEFGHIJKLMNOPQRSTUVWXYZ"_qs
                                                 << u"abcdefghijklmnopqrstuvwxyz abcdefghıjklmnopqrstuvwxyz"_qs;
    // Every ASCII unit through the Turkish block path: only the letters move, and
    // only i and I leave ASCII.
    QString ascii;
    for (char16_t c = 0; c < 0x80; ++c)
        ascii += QChar(c);
    QTest::newRow("every ascii unit in turkish")
        << u"tr_TR"_qs << ascii
        << ascii.first(u'a') + u"ABCDEFGHİJKLMNOPQRSTUVWXYZ"_qs + ascii.sliced(u'z' + 1)
        << ascii.first(u'A') + u"abcdefghıjklmnopqrstuvwxyz"_qs + ascii.sliced(u'Z' + 1);
    QTest::newRow("azerbaijani") << u"az_Latn_AZ"_qs << u"iIİı"_qs << u"İIİI"_qs << u"iıiı"_qs;

    // Capital sigma lowers to final sigma only at the end of a word.
    const QString el = QStringLiteral("el_GR");
    QTest::newRow("sigma at word end") << el << u"ΟΔΟΣ"_qs << u"ΟΔΟΣ"_qs << u"οδος"_qs;
    QTest::newRow("sigma in the middle") << el << u"ΑΣΑ"_qs << u"ΑΣΑ"_qs << u"ασα"_qs;
    QTest::newRow("sigma alone") << el << u"Σ"_qs << u"Σ"_qs << u"σ"_qs;
    QTest::newRow("sigma words") << el << u"ΟΔΟΣ ΣΟΦΙΑΣ"_qs << u"ΟΔΟΣ ΣΟΦΙΑΣ"_qs
                                 << u"οδος σοφιας"_qs;
    QTest::newRow("sigma before punctuation") << el << u"ΟΔΟΣ, ΟΔΟΣ! (ΟΔΟΣ)"_qs
                                              << u"ΟΔΟΣ, ΟΔΟΣ! (ΟΔΟΣ)"_qs
                                              << u"οδος, οδος! (οδος)"_qs;
    QTest::newRow("sigma before a full stop ending the text") << el << u"ΟΔΟΣ."_qs
                                                              << u"ΟΔΟΣ."_qs << u"οδος."_qs;
    // A full stop inside a word is case-ignorable: the word goes on after it.
    QTest::newRow("sigma before a full stop inside a word") << el << u"ΑΣ.Β"_qs << u"ΑΣ.Β"_qs
                                                            << u"ασ.β"_qs;
    QTest::newRow("sigma after an accent") << el << u"Α\u0301Σ"_qs << u"Α\u0301Σ"_qs
                                           << u"α\u0301ς"_qs;
    QTest::newRow("sigma before an accent") << el << u"ΑΣ\u0301"_qs << u"ΑΣ\u0301"_qs
                                            << u"ας\u0301"_qs;
    QTest::newRow("sigma after a digit") << el << u"Α1Σ"_qs << u"Α1Σ"_qs << u"α1σ"_qs;
    QTest::newRow("sigma at line end") << el << u"ΟΔΟΣ\r\nΣΑ"_qs << u"ΟΔΟΣ\r\nΣΑ"_qs
                                       << u"οδος\r\nσα"_qs;
    QTest::newRow("sigma after a non-BMP letter") << el << points({0x10400, 0x3A3})
                                                  << points({0x10400, 0x3A3})
                                                  << points({0x10428, 0x3C2});
    // Long enough for the eight-unit path, with a sigma beside each kind of neighbour.
    QTest::newRow("sigmas in a long capital text")
        << el << u"ΟΔΟΣ ΣΟΦΙΑΣ ΚΑΙ ΠΑΙΔΕΙΑΣ, ΠΡΟΣ ΤΟΥΣ ΦΙΛΟΥΣ. ΑΣ'Β ΣΑΣ1 ΣΣΣ ΑΣ\u0301Β ΑΣ\u03A2Α ΟΔΟΣ"_qs
        << u"ΟΔΟΣ ΣΟΦΙΑΣ ΚΑΙ ΠΑΙΔΕΙΑΣ, ΠΡΟΣ ΤΟΥΣ ΦΙΛΟΥΣ. ΑΣ'Β ΣΑΣ1 ΣΣΣ ΑΣ\u0301Β ΑΣ\u03A2Α ΟΔΟΣ"_qs
        << u"οδος σοφιας και παιδειας, προς τους φιλους. ασ'β σας1 σσς ασ\u0301β ας\u03A2α οδος"_qs;
    QTest::newRow("final sigma uppercases") << el << u"ςσ"_qs << u"ΣΣ"_qs << u"ςσ"_qs;
    QTest::newRow("sigma in english too") << en << u"ΟΔΟΣ"_qs << u"ΟΔΟΣ"_qs << u"οδος"_qs;

    // Letters outside the BMP map as whole code points.
    QTest::newRow("deseret") << en << points({0x10400, 0x10428, 0x10427, 0x1044F})
                             << points({0x10400, 0x10400, 0x10427, 0x10427})
                             << points({0x10428, 0x10428, 0x1044F, 0x1044F});
    QTest::newRow("osage adlam old hungarian") << en << points({0x104B0, 0x1E922, 0x10C80})
                                               << points({0x104B0, 0x1E900, 0x10C80})
                                               << points({0x104D8, 0x1E922, 0x10CC0});
    QTest::newRow("mathematical letter has no case") << en << points({0x1D400, 0x1D41A})
                                                     << points({0x1D400, 0x1D41A})
                                                     << points({0x1D400, 0x1D41A});
    // Runs of uncased pairs are copied whole: the cased letters around them still map,
    // and so does the last cased pair before them (Adlam), and a broken pair inside.
    QTest::newRow("emoji runs around letters") << en << points({0x1F600, 0x1F389, 'a', 0x1E921, 0x1E943, 0x1F600})
                                               << points({0x1F600, 0x1F389, 'A', 0x1E921, 0x1E921, 0x1F600})
                                               << points({0x1F600, 0x1F389, 'a', 0x1E943, 0x1E943, 0x1F600});
    QTest::newRow("emoji then a lone high surrogate") << en << QString::fromUcs4(U"\U0001F600") + lone(0xD83D) + u"x"_qs
                                                      << QString::fromUcs4(U"\U0001F600") + lone(0xD83D) + u"X"_qs
                                                      << QString::fromUcs4(U"\U0001F600") + lone(0xD83D) + u"x"_qs;
    QTest::newRow("sigma before an emoji") << el << points({0x391, 0x3A3, 0x1F600}) << points({0x391, 0x3A3, 0x1F600})
                                           << points({0x3B1, 0x3C2, 0x1F600});

    // A broken pair is not a letter: kept as it is, neighbours still mapped.
    QTest::newRow("lone high surrogate") << en << u"a"_qs + lone(0xD801) + u"b"_qs
                                         << u"A"_qs + lone(0xD801) + u"B"_qs
                                         << u"a"_qs + lone(0xD801) + u"b"_qs;
    QTest::newRow("lone low surrogate first") << en << lone(0xDC28) + u"Ab"_qs
                                              << lone(0xDC28) + u"AB"_qs
                                              << lone(0xDC28) + u"ab"_qs;
    QTest::newRow("high surrogate at the end") << en << u"Ab"_qs + lone(0xD801)
                                               << u"AB"_qs + lone(0xD801)
                                               << u"ab"_qs + lone(0xD801);
    QTest::newRow("swapped halves") << en << lone(0xDC00) + lone(0xD801) << lone(0xDC00) + lone(0xD801)
                                    << lone(0xDC00) + lone(0xD801);
}

void tst_CaseTransforms::transforms()
{
    QFETCH(QString, locale);
    QFETCH(QString, input);
    QFETCH(QString, upper);
    QFETCH(QString, lower);

    QLocale::setDefault(QLocale(locale));
    QCOMPARE(upperCaseText(input), upper);
    QCOMPARE(lowerCaseText(input), lower);
    // A text of its own is converted where it is: the same result.
    QCOMPARE(upperCaseText(QString(input.constData(), input.size())), upper);
    QCOMPARE(lowerCaseText(QString(input.constData(), input.size())), lower);
}

// The ASCII path works in blocks; non-ASCII units and pairs can fall anywhere
// relative to them.
void tst_CaseTransforms::longTextCrossesBlockBoundaries_data()
{
    QTest::addColumn<int>("offset");
    for (int offset = 0; offset < 18; ++offset)
        QTest::addRow("offset %d", offset) << offset;
}

void tst_CaseTransforms::longTextCrossesBlockBoundaries()
{
    QFETCH(int, offset);
    const QString prefix(offset, u'x');
    const QString upperPrefix(offset, u'X');
    const QString tail = u"Hello wörld \U00010428 ΟΔΟΣ end of a line."_qs;
    QString input = prefix;
    QString upper = upperPrefix;
    QString lower = prefix;
    for (int i = 0; i < 5; ++i) {
        input += tail;
        upper += u"HELLO WÖRLD \U00010400 ΟΔΟΣ END OF A LINE."_qs;
        lower += u"hello wörld \U00010428 οδος end of a line."_qs;
    }
    QCOMPARE(upperCaseText(input), upper);
    QCOMPARE(lowerCaseText(input), lower);
}

#if defined(TOVRIN_HAVE_ICU)

namespace {

bool assignedInBoth(char32_t c)
{
    return !(c >= 0xD800 && c <= 0xDFFF) && u_charType(UChar32(c)) != U_UNASSIGNED
           && QChar::category(c) != QChar::Other_NotAssigned;
}

QString icuLower(const QString& text)
{
    UChar buffer[16];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_strToLower(buffer, 16, reinterpret_cast<const UChar*>(text.utf16()),
                                        int32_t(text.size()), "en", &status);
    if (U_FAILURE(status))
        return QString();
    return QString(reinterpret_cast<const QChar*>(buffer), length);
}

} // namespace

// Every assigned code point, in one text, against ICU's one-to-one mappings.
void tst_CaseTransforms::oneToOneMappingMatchesIcu()
{
    QList<char32_t> codePoints;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (assignedInBoth(c) && c != 0x3A3)
            codePoints.append(c);
    }
    const QString text = QString::fromUcs4(codePoints.constData(), codePoints.size());
    const QList<uint> upper = upperCaseText(text).toUcs4();
    const QList<uint> lower = lowerCaseText(text).toUcs4();
    QCOMPARE(upper.size(), codePoints.size());
    QCOMPARE(lower.size(), codePoints.size());
    int mismatches = 0;
    for (qsizetype i = 0; i < codePoints.size(); ++i) {
        const char32_t c = codePoints[i];
        const auto wantUpper = char32_t(u_toupper(UChar32(c)));
        const auto wantLower = char32_t(u_tolower(UChar32(c)));
        if (upper[i] != wantUpper || lower[i] != wantLower) {
            if (++mismatches <= 10)
                qWarning("U+%04X: upper %04X (ICU %04X), lower %04X (ICU %04X)", unsigned(c),
                         unsigned(upper[i]), unsigned(wantUpper), unsigned(lower[i]),
                         unsigned(wantLower));
        }
    }
    QCOMPARE(mismatches, 0);
}

// Whether a sigma ends a word depends on the Cased and Case_Ignorable properties
// of its neighbours: every assigned code point as a neighbour, against ICU.
void tst_CaseTransforms::finalSigmaContextMatchesIcu()
{
    const QString sigma = u"Σ"_qs;
    const QString alpha = u"Α"_qs;
    int mismatches = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (!assignedInBoth(c))
            continue;
        // CJK ideographs and other large blocks without case: sample them.
        if (c >= 0x3400 && QChar::category(c) == QChar::Letter_Other && (c & 0xFF) != 0)
            continue;
        const QString x = QString::fromUcs4(&c, 1);
        // Before the sigma: tells cased from the rest; alpha before both: tells
        // case-ignorable from the rest; after the sigma: tells cased from the rest.
        const QString texts[] = {x + sigma, alpha + x + sigma, alpha + sigma + x};
        const qsizetype sigmaPos[] = {x.size(), 1 + x.size(), 1};
        for (int t = 0; t < 3; ++t) {
            const QString ours = lowerCaseText(texts[t]);
            const QString icu = icuLower(texts[t]);
            const qsizetype icuPos = t == 2 ? 1 : icu.size() - 1;
            if (icuPos < 0 || ours.at(sigmaPos[t]) != icu.at(icuPos)) {
                if (++mismatches <= 10)
                    qWarning("neighbour U+%04X in text %d: %04X, ICU %04X", unsigned(c), t,
                             ours.at(sigmaPos[t]).unicode(),
                             icuPos < 0 ? 0 : icu.at(icuPos).unicode());
            }
        }
    }
    QCOMPARE(mismatches, 0);
}

#else

void tst_CaseTransforms::oneToOneMappingMatchesIcu()
{
    QSKIP("built without ICU");
}

void tst_CaseTransforms::finalSigmaContextMatchesIcu()
{
    QSKIP("built without ICU");
}

#endif

QTEST_GUILESS_MAIN(tst_CaseTransforms)
#include "tst_casetransforms.moc"
