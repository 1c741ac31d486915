#pragma once
// The Windows shell request, with the platform call handed in so that tests can record it.

#include "platform/shellservice.h"

#include <cstdint>

class ShellExecuteService : public ShellService
{
  public:
    // The shape of ShellExecuteA, its owner window and result as whole numbers.
    using ShellCall = std::intptr_t (*)(const char* operation, const char* file,
                                        const char* parameters, const char* directory,
                                        int showCommand);
    explicit ShellExecuteService(ShellCall call) : m_call(call) {}

    // The texts in the ANSI code page, an absent text as a null pointer, no owner window;
    // true when the call answers above 32.
    bool shellOpen(const QString& document, const QString& operation,
                   const std::optional<QString>& argList, const std::optional<QString>& workFolder,
                   int showCommand) override;

  private:
    ShellCall m_call;
};
