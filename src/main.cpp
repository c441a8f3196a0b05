#include <QApplication>

#include "app/Application.h"

int main(int argc, char* argv[])
{
    int status = 0;
    if (!prepareTovrin(argc, argv, status))
        return status;
    QApplication app(argc, argv);
    return runTovrin(app);
}
