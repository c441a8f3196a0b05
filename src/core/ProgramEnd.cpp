#include "core/ProgramEnd.h"

#include <QCoreApplication>

void ProgramEnd::end()
{
    m_ending = true;
    if (m_handler) {
        m_handler();
        return;
    }
    // exit(), not quit(): quit() would send every window a close event first.
    QCoreApplication::exit(0);
}
