#include "ui/credits/CreditsContent.h"

#include <QStringList>

namespace {

const QString kBreak = QStringLiteral("\r\n");

// A text box's text: its lines, each ended by CR LF.
QString lines(const QStringList& list)
{
    QString out;
    for (const QString& line : list)
        out += line + kBreak;
    return out;
}

QString padded(const char* text, int before, int after)
{
    return QString(before, QLatin1Char(' ')) + QString::fromUtf8(text) + QString(after, QLatin1Char(' '));
}

// Unit two, line by line: a role title beside its names. Below the last title the
// names column goes on alone (title nullptr).
struct Row {
    const char* title;
    const char* name;
};

constexpr Row kUnitTwo[] = {
    {"DIRECTOR OF UPPERCASE", "Halvard Stent"},
    {"", "(shouting)"},
    {"DIRECTOR OF LOWERCASE", "halvard stent"},
    {"", "(whispering)"},
    {"RANDOMNESS ADVISOR", "Pim Oddervald"},
    {"", "(most days)"},
    {"", ""},
    {"SHIFT KEY OPERATOR", "Ottilie Brandt-Ness"},
    {"", "and her left little finger"},
    {"", ""},
    {"CAPS LOCK WRANGLER", "Dag Muirhouse"},
    {"", "Dag Muirhouse's patience"},
    {"", ""},
    {"SENIOR VICE PRESIDENT", "Sib Colquhoun"},
    {"OF LETTER HEIGHT", "(very tall)"},
    {"", ""},
    {"CLIPBOARD HANDLER", "Fenn Wheatley"},
    {"", "Fenn Wheatley's gloves"},
    {"", ""},
    {"TRAY ICON DESIGN", "Mabel Inchcombe"},
    {"", "(sixteen colours only)"},
    {"", ""},
    {"PIXEL PUSHERS", "Gorm Hatherley"},
    {"", "Sunniva Dyce"},
    {"", "Arvo Penhallow"},
    {"", ""},
    {"BEEP COMPOSER", "Ludo Vantongeren"},
    {"", "\"Beep No. 1 in A\""},
    {"", ""},
    {"SPLASH SCREEN", "Wren Abernathy"},
    {"", "and a bucket"},
    {"", ""},
    {"BUG HUNTER", "Cosmo Farrant"},
    {"", "Cosmo Farrant's flyswatter"},
    {"", ""},
    {"BUG BREEDER", "Cosmo Farrant (again)"},
    {"", ""},
    {"ACCOUNTANT", "Piet Zwanenburg"},
    {"", "who counted every letter"},
    {"", "twice"},
    {"", ""},
    {"LEGAL DEPARTMENT", "Ines Achterberg"},
    {"", "Ines Achterberg's cousin"},
    {"", ""},
    {"COFFEE", "Bertil"},
    {"", "more Bertil"},
    {"", "decaf Bertil"},
    {"", ""},
    {"NIGHT SHIFT", "the cleaning robot"},
    {"", ""},
    {"BEST BOY", "Elmer Quarrington"},
    {"", ""},
    {"KEY GRIP", "Tam, who held the keys"},
    {"", ""},
    {"FONT SCOUT", "Ysolde Marchbank"},
    {"", ""},
    {"NO ONE", "Nobody"},
    {nullptr, ""},
    {nullptr, "Stunt Double"},
    {nullptr, "Stunt Double's double"},
    {nullptr, ""},
    {nullptr, "Filmed entirely on location"},
    {nullptr, "in a very small office"},
    {nullptr, ""},
    {nullptr, "No keys were pressed twice."},
};

} // namespace

namespace credits {

QString appName()
{
    return padded("Tovrin v2.0.5", 26, 27);
}

QString copyright()
{
    return QStringLiteral("Copyright \u00A9 1999 Ardelon");
}

QString creditsHeading()
{
    return padded("CREDITS", 7, 7);
}

QString unitOneHeading()
{
    return padded("Unit One", 7, 7);
}

QString unitOneTitles()
{
    return lines({"PRODUCER", "", "ENGINEERS", "", "", "", "", "TESTING", "", "CATERING"});
}

QString unitOneNames()
{
    return lines({"Ivo Lark", "", "Ossian Pike", "Bree Haldane", "Tobiah Quist", "Nell Faraday-Oost", "",
                  "Rufus the cat", "", "Auntie Ingeborg"});
}

QString unitTwoHeading()
{
    return padded("Unit Two", 7, 7);
}

QString unitTwoTitles()
{
    QStringList list;
    for (const Row& row : kUnitTwo) {
        if (row.title)
            list << QString::fromUtf8(row.title);
    }
    return lines(list);
}

QString unitTwoNames()
{
    QStringList list;
    for (const Row& row : kUnitTwo)
        list << QString::fromUtf8(row.name);
    return lines(list);
}

QString thanks()
{
    QStringList list{"Special Thanks To:", ""};
    list << QStringList{
        "Mum and Dad Stent",
        "The Tuesday Typing Club",
        "Everyone on the beta list",
        "Rufus the cat, for walking on the keyboard",
        "The letter A, both of them",
        "The Shift key",
        "The Caps Lock key (eventually)",
        "Pocket Pixel Graphics Co.",
        "Kettle & Sons Tea",
        "Crunchwell Biscuits",
        "Agnes Pelloquin",
        "Barnaby Stroud-Fenwick",
        "The Qwirl users' group",
        "Marguerite from accounts",
        "The night bus driver",
        "Grandpa Osric",
        "The clipboard, for holding on",
        "\"Attack of the Lowercase\"",
        "\"The Case of the Missing Capital\"",
        "\"Return of the Shift Key\"",
        "\"Lowercase Hero II\"",
        "Square Wheel Bakery",
        "The Yellow Sticky Note Company",
        "Our landlord, Mr. Pindar Grusz",
        "Everyone who types in ALL CAPS",
        "Everyone who never does",
        "The rAnDOm Fan Club",
        "Hildegund Vorster",
        "The pizza place on the corner",
        "Toto Kerbridge and his ukulele",
        "Sweet-Tooth Cola",
        "The sixteen colours",
        "Dolores the office plant",
        "You, for reading this far",
    };
    list << "" << "" << "";
    list << "And No Thanks At All To:" << "";
    list << QStringList{"Sticky keys", "Mondays", "Autocorrect", "The Insert key", "Whoever spilled the coffee"};
    for (int i = 0; i < 9; ++i)
        list << "";
    list << "Filmed in Glorious 16-COLOUR";
    return lines(list);
}

QString disclaimer()
{
    return QStringLiteral("No animals were harmed in the filming and/or production of this product.");
}

QString fire()
{
    return QStringLiteral("Where's The Fire?");
}

QString pants()
{
    return QStringLiteral("IN MY PANTS!");
}

} // namespace credits
