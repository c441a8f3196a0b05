#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "convert/RandomGenerator.h"

// The three transforms. Case is mapped one code point to one code point, tailored
// to the default QLocale (Turkish and Azerbaijani i, final sigma), so a text keeps
// its length in code points. A text passed in that nobody else holds (a temporary,
// or one moved in) is converted where it is, without a second copy.
QString upperCaseText(QString text);
QString lowerCaseText(QString text);

// The same mapping, on more of the text's structure: Title Case starts every word with
// its titlecase (ǆ becomes ǅ, ß stays ß) and lowers the rest; Sentence case does so for
// every sentence; sWAP cASE lowers what has a lower case and uppers the rest. Words
// and sentences are Unicode's (an apostrophe inside a word is part of it).
QString titleCaseText(const QString& text);
QString sentenceCaseText(const QString& text);
QString swapCaseText(const QString& text);

// Every code point independently upper- or lower-cased with equal chance, drawn
// from `generator`; the sequence goes on from call to call.
QString randomCaseText(const QString& text, RandomGenerator& generator);
// The same, calling `yield` once per code point so that the caller can keep its
// windows live on long texts (and let a second conversion run to its end meanwhile);
// gives up (nullopt) as soon as `yield` returns false.
std::optional<QString> randomCaseText(const QString& text, const std::function<bool()>& yield,
                                      RandomGenerator& generator);

// The random transform's choice for a draw r in [0, 1): 1 (upper case) below 0.5,
// 2 (lower case) from 0.5 on.
int randomCaseChoice(float r);


// The transforms by name, as the program's commands pick them (the windows and the
// tray menu offer the first three).
enum class CaseConversion { Upper, Lower, Random, Title, Sentence, Swap };
