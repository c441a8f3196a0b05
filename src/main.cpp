#include <QApplication>

#include "app/Application.h"
#include "platform/FreedMemory.h"

int main(int argc, char* argv[])
{
    platform::returnLongTextsWhenFreed();
    int status = 0;
    if (!prepareTovrin(argc, argv, status))
        return status;
    QApplication app(argc, argv);
    return runTovrin(app);
}
