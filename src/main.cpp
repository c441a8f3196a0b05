#include <QApplication>

#include "app/Application.h"

int main(int argc, char* argv[])
{
    int status = 0;
    const std::optional<StartRequest> request = prepareTovrin(argc, argv, status);
    if (!request)
        return status;
    QApplication app(argc, argv);
    return runTovrin(app, *request);
}
