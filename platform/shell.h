#pragma once
// The real shell: hands a document, program or web address to whatever the desktop has
// registered for it. The build picks the platform's file: shell_posix.cpp (the desktop's URL
// handlers) or win/shell_win.cpp (ShellExecuteA).

#include "platform/shellservice.h"

#include <cstdint>

// The Windows shell answers with a number: above 32 it accepted the request, 32 or less is
// one of its error codes.
constexpr bool shellAccepted(std::intptr_t result)
{
    return result > 32;
}

class SystemShellService : public ShellService
{
  public:
    // On Windows: ShellExecuteA with no owner window, texts in the ANSI code page. Elsewhere
    // the desktop's URL handlers (QDesktopServices) open the document; a local program with
    // arguments is started detached in workFolder. showCommand only matters on Windows.
    bool shellOpen(const QString& document, const QString& operation,
                   const std::optional<QString>& argList, const std::optional<QString>& workFolder,
                   int showCommand) override;
};
