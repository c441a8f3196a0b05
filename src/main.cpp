#include <QApplication>

#include "core/Application.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return runTovrin(app);
}
