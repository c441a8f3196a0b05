#include <QLocale>
#include <QTextBoundaryFinder>
#include <QtTest>

#include "convert/CaseTransforms.h"

#if defined(TOVRIN_HAVE_ICU)
#include <unicode/ubrk.h>
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
    void wordsAndSentences_data();
    void wordsAndSentences();
    void longTextCrossesBlockBoundaries_data();
    void longTextCrossesBlockBoundaries();
    void oneToOneMappingMatchesIcu();
    void finalSigmaContextMatchesIcu();
    void titlecaseMatchesIcuOnEveryCodePoint();
    void sentenceEndsMatchIcuOnEveryCodePoint();
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
    // Long enough for the block path, with a sigma beside each kind of neighbour.
    QTest::newRow("sigmas in a long capital text")
        << el << u"ΟΔΟΣ ΣΟΦΙΑΣ ΚΑΙ ΠΑΙΔΕΙΑΣ, ΠΡΟΣ ΤΟΥΣ ΦΙΛΟΥΣ. ΑΣ'Β ΣΑΣ1 ΣΣΣ ΑΣ\u0301Β ΑΣ\u03A2Α ΟΔΟΣ"_qs
        << u"ΟΔΟΣ ΣΟΦΙΑΣ ΚΑΙ ΠΑΙΔΕΙΑΣ, ΠΡΟΣ ΤΟΥΣ ΦΙΛΟΥΣ. ΑΣ'Β ΣΑΣ1 ΣΣΣ ΑΣ\u0301Β ΑΣ\u03A2Α ΟΔΟΣ"_qs
        << u"οδος σοφιας και παιδειας, προς τους φιλους. ασ'β σας1 σσς ασ\u0301β ας\u03A2α οδος"_qs;
    // A sigma at either edge of a sixteen-unit block, its neighbour in the next one.
    QTest::newRow("sigmas at block edges")
        << el << u"ΑΒΓΔΕ ΖΗΘΙΚΛΜΝΞΣ ΑΒΓΔΕΖΗ ΘΙΚΛΜΝΣΑΒ'Σ ΓΔ ΕΖΗ ΘΙΚΣ.ΣΑ ΒΓ ΔΕΖΗΘΙΚΑ'ΣΑ ΒΓ ΔΕΖΗΘΙΚ Α:Σ ΑΒΓ ΔΕΖΗΘΙΚΛΣ\u0301 ΑΒ"_qs
        << u"ΑΒΓΔΕ ΖΗΘΙΚΛΜΝΞΣ ΑΒΓΔΕΖΗ ΘΙΚΛΜΝΣΑΒ'Σ ΓΔ ΕΖΗ ΘΙΚΣ.ΣΑ ΒΓ ΔΕΖΗΘΙΚΑ'ΣΑ ΒΓ ΔΕΖΗΘΙΚ Α:Σ ΑΒΓ ΔΕΖΗΘΙΚΛΣ\u0301 ΑΒ"_qs
        << u"αβγδε ζηθικλμνξς αβγδεζη θικλμνσαβ'ς γδ εζη θικσ.σα βγ δεζηθικα'σα βγ δεζηθικ α:ς αβγ δεζηθικλς\u0301 αβ"_qs;
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

void tst_CaseTransforms::wordsAndSentences_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<QString>("swap");
    // ICU maps fully (ß to Ss at a word's start); rows where that shows say false.
    QTest::addColumn<bool>("sameAsIcu");

    const QString en = QStringLiteral("en_US");
    QTest::newRow("apostrophe inside a word") << en << u"don't STOP. it's 'quoted' here"_qs
                                              << u"Don't Stop. It's 'Quoted' Here"_qs
                                              << u"Don't stop. it's 'quoted' here"_qs
                                              << u"DON'T stop. IT'S 'QUOTED' HERE"_qs << true;
    QTest::newRow("right single quote") << en << u"l\u2019AMOUR rock\u2019n\u2019roll"_qs
                                        << u"L\u2019amour Rock\u2019n\u2019roll"_qs
                                        << u"L\u2019amour rock\u2019n\u2019roll"_qs
                                        << u"L\u2019amour ROCK\u2019N\u2019ROLL"_qs << true;
    QTest::newRow("sentences") << en << u"hELLO there. HOW are you? (fine!) \"yes,\" she said.\nnext line"_qs
                               << u"Hello There. How Are You? (Fine!) \"Yes,\" She Said.\nNext Line"_qs
                               << u"Hello there. How are you? (Fine!) \"Yes,\" she said.\nNext line"_qs
                               << u"Hello THERE. how ARE YOU? (FINE!) \"YES,\" SHE SAID.\nNEXT LINE"_qs << true;
    QTest::newRow("plain ends") << en << u"one. two! three? Four.  five\r\nsix\n\nseven.x"_qs
                                << u"One. Two! Three? Four.  Five\r\nSix\n\nSeven.x"_qs
                                << u"One. two! Three? Four.  five\r\nSix\n\nSeven.x"_qs
                                << u"ONE. TWO! THREE? fOUR.  FIVE\r\nSIX\n\nSEVEN.X"_qs << true;
    QTest::newRow("full stops inside words") << en << u"node.JS e.g. U.S.A"_qs << u"Node.js E.g. U.s.a"_qs
                                             << u"Node.js e.g. U.s.a"_qs << u"NODE.js E.G. u.s.a"_qs << true;
    QTest::newRow("digits and ordinals") << en << u"3RD time 1.5KG x2y"_qs << u"3rd Time 1.5kg X2y"_qs
                                         << u"3rd time 1.5kg x2y"_qs << u"3rd TIME 1.5kg X2Y"_qs << true;
    QTest::newRow("digraph at a word's start") << en << u"\u01C6ungla \u01C4EP"_qs
                                               << u"\u01C5ungla \u01C5ep"_qs << u"\u01C5ungla \u01C6ep"_qs
                                               << u"\u01C4UNGLA \u01C6ep"_qs << true;
    QTest::newRow("sharp s keeps its length") << en << u"ßa STRAßE"_qs << u"ßa Straße"_qs << u"ßa straße"_qs
                                              << u"ßA straße"_qs << false;
    // A full stop before a lower-case word ends no sentence; a question mark does.
    QTest::newRow("greek with final sigma") << u"el_GR"_qs << u"ΟΔΟΣ ΣΟΦΙΑΣ. σοφος"_qs
                                            << u"Οδος Σοφιας. Σοφος"_qs << u"Οδος σοφιας. σοφος"_qs
                                            << u"οδος σοφιας. ΣΟΦΟΣ"_qs << true;
    QTest::newRow("greek with ypogegrammeni") << en << u"\u1FB3\u1F80 \u1F80"_qs << u"\u1FBC\u1F80 \u1F88"_qs
                                              << u"\u1FBC\u1F80 \u1F80"_qs << u"\u1FBC\u1F88 \u1F88"_qs << false;
    QTest::newRow("turkish") << u"tr_TR"_qs << u"istanbul IĞDIR ılık İzmir"_qs
                             << u"İstanbul Iğdır Ilık İzmir"_qs << u"İstanbul ığdır ılık izmir"_qs
                             << u"İSTANBUL ığdır ILIK iZMİR"_qs << true;
    QTest::newRow("azerbaijani") << u"az_Latn_AZ"_qs << u"iI"_qs << u"İı"_qs << u"İı"_qs << u"İı"_qs << true;
    QTest::newRow("dotless i in english") << en << u"ıI iİ"_qs << u"Ii Ii"_qs << u"Ii ii"_qs << u"Ii Ii"_qs
                                          << false;
    QTest::newRow("cyrillic and armenian") << en << u"мОСКВА. բարեւ"_qs << u"Москва. Բարեւ"_qs
                                           << u"Москва. բարեւ"_qs << u"Москва. ԲԱՐԵՒ"_qs << true;
    QTest::newRow("leading marks and symbols") << en << u"\u0301abc ¿qué? «hola»"_qs
                                               << u"\u0301Abc ¿Qué? «Hola»"_qs << u"\u0301Abc ¿qué? «Hola»"_qs
                                               << u"\u0301ABC ¿QUÉ? «HOLA»"_qs << true;
    QTest::newRow("outside the BMP") << en << points({0x10428, 0x10400, ' ', 0x1E922, 0x1E900})
                                     << points({0x10400, 0x10428, ' ', 0x1E900, 0x1E922})
                                     << points({0x10400, 0x10428, ' ', 0x1E922, 0x1E922})
                                     << points({0x10400, 0x10428, ' ', 0x1E900, 0x1E922}) << true;
    QTest::newRow("no case") << en << u"漢字 かな 😀 123"_qs << u"漢字 かな 😀 123"_qs << u"漢字 かな 😀 123"_qs
                             << u"漢字 かな 😀 123"_qs << true;
    QTest::newRow("lone surrogate") << en << u"ab"_qs + lone(0xD801) + u" cd"_qs
                                    << u"Ab"_qs + lone(0xD801) + u" Cd"_qs << u"Ab"_qs + lone(0xD801) + u" cd"_qs
                                    << u"AB"_qs + lone(0xD801) + u" CD"_qs << false;
    QTest::newRow("empty") << en << QString() << QString() << QString() << QString() << true;
    // Long enough for the block paths, with every ASCII letter both ways.
    QTest::newRow("ascii blocks") << en << u"the QUICK brown fox jumps over the lazy dog THE quick BROWN"_qs
                                  << u"The Quick Brown Fox Jumps Over The Lazy Dog The Quick Brown"_qs
                                  << u"The quick brown fox jumps over the lazy dog the quick brown"_qs
                                  << u"THE quick BROWN FOX JUMPS OVER THE LAZY DOG the QUICK brown"_qs << true;
}

#if defined(TOVRIN_HAVE_ICU)
namespace {

// ICU's titlecasing with its own word or sentence segmentation.
QString icuTitle(const QString& text, UBreakIteratorType type, const char* locale)
{
    UErrorCode status = U_ZERO_ERROR;
    UBreakIterator* iterator = ubrk_open(type, locale, nullptr, 0, &status);
    QString out(text.size() * 3 + 1, Qt::Uninitialized);
    const int32_t length = u_strToTitle(reinterpret_cast<UChar*>(out.data()), int32_t(out.size()),
                                        reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()),
                                        iterator, locale, &status);
    ubrk_close(iterator);
    return U_FAILURE(status) ? u"ICU failed"_qs : out.first(length);
}

// Each code point from ICU's full lower or upper case of the whole text, by its case.
QString icuSwap(const QString& text, const char* locale)
{
    QString upper(text.size(), Qt::Uninitialized);
    QString lower(text.size(), Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const auto* src = reinterpret_cast<const UChar*>(text.utf16());
    const int32_t n = int32_t(text.size());
    if (u_strToUpper(reinterpret_cast<UChar*>(upper.data()), n, src, n, locale, &status) != n
        || u_strToLower(reinterpret_cast<UChar*>(lower.data()), n, src, n, locale, &status) != n)
        return u"ICU changed the length"_qs;
    QString out;
    for (qsizetype i = 0; i < n;) {
        const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < n ? 2 : 1;
        out += lower.sliced(i, width) != text.sliced(i, width) ? lower.sliced(i, width) : upper.sliced(i, width);
        i += width;
    }
    return out;
}

} // namespace
#endif

void tst_CaseTransforms::wordsAndSentences()
{
    QFETCH(QString, locale);
    QFETCH(QString, input);
    QFETCH(QString, title);
    QFETCH(QString, sentence);
    QFETCH(QString, swap);
    QFETCH(bool, sameAsIcu);

    QLocale::setDefault(QLocale(locale));
    QCOMPARE(titleCaseText(input), title);
    QCOMPARE(sentenceCaseText(input), sentence);
    QCOMPARE(swapCaseText(input), swap);
#if defined(TOVRIN_HAVE_ICU)
    const QByteArray icuLocale = locale.left(2).toLatin1();
    if (sameAsIcu) {
        QCOMPARE(icuTitle(input, UBRK_WORD, icuLocale), title);
        QCOMPARE(icuTitle(input, UBRK_SENTENCE, icuLocale), sentence);
        QCOMPARE(icuSwap(input, icuLocale), swap);
    }
#endif
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

// Whether Qt's word boundaries and ICU's agree between c and a Latin letter: ICU
// tailors Unicode's rules (Thai and other scripts written without spaces join the
// letters after them; Hangul does not).
bool sameWordBreak(char32_t c)
{
    const QString pair = QString::fromUcs4(&c, 1) + u"A"_qs;
    QTextBoundaryFinder qt(QTextBoundaryFinder::Word, pair);
    qt.setPosition(pair.size() - 1);
    UErrorCode status = U_ZERO_ERROR;
    UBreakIterator* icu = ubrk_open(UBRK_WORD, "", reinterpret_cast<const UChar*>(pair.utf16()),
                                    int32_t(pair.size()), &status);
    const bool icuBreaks = ubrk_isBoundary(icu, int32_t(pair.size() - 1));
    ubrk_close(icu);
    return qt.isAtBoundary() == icuBreaks;
}

// Every assigned code point alone on a line, titlecased with the rest of the
// line lowered, against ICU; where ICU's full mapping is longer, against its
// one-to-one titlecase.
void tst_CaseTransforms::titlecaseMatchesIcuOnEveryCodePoint()
{
    QString text;
    QList<char32_t> codePoints;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (assignedInBoth(c) && c != '\n' && c != '\r' && QChar::category(c) != QChar::Separator_Line
            && QChar::category(c) != QChar::Separator_Paragraph && c != 0x0B && c != 0x0C && c != 0x85
            && c != 0xFEFF && sameWordBreak(c)) {
            codePoints.append(c);
            // Lowered after it: a capital letter, a sigma by context.
            text += QString::fromUcs4(&c, 1) + u"AΣ\n"_qs;
        }
    }
    const QStringList ours = titleCaseText(text).split(u'\n');
    const QStringList icu = icuTitle(text, UBRK_WORD, "").split(u'\n');
    QCOMPARE(ours.size(), icu.size());
    int mismatches = 0;
    for (qsizetype i = 0; i < codePoints.size(); ++i) {
        const char32_t c = codePoints[i];
        QString want = icu[i];
        if (want.toUcs4().size() != 3) {
            const auto title = char32_t(u_totitle(UChar32(c)));
            want = QString::fromUcs4(&title, 1) + u"aς"_qs;
        }
        if (ours[i] != want && ++mismatches <= 10)
            qWarning("U+%04X: %s, ICU %s", unsigned(c), qPrintable(ours[i]), qPrintable(want));
    }
    QCOMPARE(mismatches, 0);
}

// Every assigned code point after a word and before a capital: whether it ends a
// sentence, against ICU's sentence boundaries where Qt's own agree with them.
void tst_CaseTransforms::sentenceEndsMatchIcuOnEveryCodePoint()
{
    QStringList lines;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (!assignedInBoth(c) || c == 0xFEFF)
            continue;
        const QString line = u"ab"_qs + QString::fromUcs4(&c, 1) + u" CD"_qs;
        QTextBoundaryFinder qt(QTextBoundaryFinder::Sentence, line);
        qt.setPosition(line.size() - 2);
        const bool qtBreaks = qt.isAtBoundary();
        if (icuTitle(line, UBRK_SENTENCE, "").at(line.size() - 2) == (qtBreaks ? u'C' : u'c'))
            lines << line;
    }
    QVERIFY(lines.size() > 200000);
    // Separated so that each line starts a sentence of its own whatever it holds.
    const QString text = lines.join(u"\n\n"_qs);
    QCOMPARE(sentenceCaseText(text), icuTitle(text, UBRK_SENTENCE, ""));
}

#else

void tst_CaseTransforms::titlecaseMatchesIcuOnEveryCodePoint()
{
    QSKIP("built without ICU");
}

void tst_CaseTransforms::sentenceEndsMatchIcuOnEveryCodePoint()
{
    QSKIP("built without ICU");
}

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
