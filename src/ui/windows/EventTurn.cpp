#include "ui/windows/EventTurn.h"

#include <QCoreApplication>

#include "core/ProgramEnd.h"

std::function<bool()> eventTurn(const ProgramEnd& end)
{
    return [&end] {
        QCoreApplication::processEvents();
        return !end.ending();
    };
}
