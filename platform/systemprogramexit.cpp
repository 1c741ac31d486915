#include "platform/systemprogramexit.h"

#include <QCoreApplication>

void SystemProgramExit::endProgram()
{
    QCoreApplication::exit(0);
}
