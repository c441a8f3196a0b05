// Prints the random transform of a fixed list of texts, one hex line each, so a
// test can compare the choices of separate runs of the program.
#include <QCoreApplication>
#include <QLocale>

#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "RandomProbeInputs.h"
#include "convert/CaseTransforms.h"

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Text mode would turn each line end into CR LF, and the lines would no longer
    // match the ones made in the test's own process.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // As the program draws: one generator for the run.
    RandomGenerator generator;
    QByteArray out;
    for (const QString& text : randomProbeInputs())
        out += encodeProbeLine(randomCaseText(text, generator));
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}
