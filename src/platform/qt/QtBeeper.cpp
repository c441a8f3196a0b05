#include "platform/qt/QtBeeper.h"

#include <QApplication>

namespace platform {

void QtBeeper::beep()
{
    QApplication::beep();
}

} // namespace platform
