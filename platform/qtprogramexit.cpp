#include "platform/qtprogramexit.h"

#include <QCoreApplication>

void QtProgramExit::endProgram()
{
    QCoreApplication::exit(0);
}
