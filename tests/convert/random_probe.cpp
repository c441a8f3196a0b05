// Prints the random transform of a fixed list of texts, one hex line each, so a
// test can compare the choices of separate runs of the program.
#include <QCoreApplication>
#include <QLocale>

#include <cstdio>

#include "RandomProbeInputs.h"
#include "convert/CaseTransforms.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QByteArray out;
    for (const QString& text : randomProbeInputs())
        out += encodeProbeLine(randomCaseText(text));
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}
