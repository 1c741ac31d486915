#pragma once
// Ending the program at once, handed in so tests can see it happen without the test
// process going away.

class ProgramExit
{
  public:
    virtual ~ProgramExit() = default;
    // Ends the program: every window still open goes without its closing steps, and no
    // further event is handled.
    virtual void endProgram() = 0;
};
