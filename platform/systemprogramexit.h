#pragma once
// Ends the program through the application's event loop: every loop returns at once, so
// other windows go without their closing steps and no further event is handled.

#include "platform/programexit.h"

class SystemProgramExit : public ProgramExit
{
  public:
    void endProgram() override;
};
