#include "core/Application.h"

#include <QApplication>

#include "Version.h"
#include "core/Forms.h"
#include "core/StartUp.h"
#include "platform/Services.h"

int runTovrin(QApplication& app)
{
    QApplication::setApplicationName(QString::fromLatin1(version::kTitle));
    QApplication::setApplicationDisplayName(QString::fromLatin1(version::kTitle));
    QApplication::setOrganizationName(QString::fromLatin1(version::kCompany));
    QApplication::setApplicationVersion(QString::fromLatin1(version::kString));
    // The program lives while any of its windows is loaded, visible or not.
    QApplication::setQuitOnLastWindowClosed(false);
    forms().onLastUnloaded = [] { EndProgram(); };

    platform::installNativeServices();
    Main();
    const int status = app.exec();

    forms().onLastUnloaded = nullptr;
    forms().destroyAll();
    platform::resetServices();
    return status;
}
