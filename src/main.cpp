#include <QApplication>

#include "app/Application.h"
#include "platform/FreedMemory.h"

int main(int argc, char* argv[])
{
    platform::returnLongTextsWhenFreed();
    int status = 0;
    const std::optional<StartRequest> request = prepareTovrin(argc, argv, status);
    if (!request)
        return status;
    QApplication app(argc, argv);
    return runTovrin(app, *request);
}
