#pragma once
// The real shell: hands a document, program or web address to whatever the desktop has
// registered for it.

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
#ifdef Q_OS_WIN
    // The shape of ShellExecuteA, its owner window and result as whole numbers; tests hand in
    // a recorder. With no call given, the real ShellExecuteA.
    using ShellCall = std::intptr_t (*)(const char* operation, const char* file,
                                        const char* parameters, const char* directory,
                                        int showCommand);
    explicit SystemShellService(ShellCall call = nullptr);
#endif
    // On Windows: ShellExecuteA with no owner window, texts in the ANSI code page. Elsewhere
    // the desktop's URL handlers (QDesktopServices) open the document; a local program with
    // arguments is started detached in workFolder. showCommand only matters on Windows.
    bool shellOpen(const QString& document, const QString& operation,
                   const std::optional<QString>& argList, const std::optional<QString>& workFolder,
                   int showCommand) override;

#ifdef Q_OS_WIN
  private:
    ShellCall m_call;
#endif
};
