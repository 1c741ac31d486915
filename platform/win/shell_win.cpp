#include "platform/shell.h"
#include "platform/win/shellexecute.h"

#include <QByteArray>
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

namespace {

std::intptr_t systemShellExecute(const char* operation, const char* file, const char* parameters,
                                 const char* directory, int showCommand)
{
    // No owner window.
    return reinterpret_cast<std::intptr_t>(
        ShellExecuteA(nullptr, operation, file, parameters, directory, showCommand));
}

} // namespace

bool ShellExecuteService::shellOpen(const QString& document, const QString& operation,
                                    const std::optional<QString>& argList,
                                    const std::optional<QString>& workFolder, int showCommand)
{
    try {
        // toLocal8Bit is the ANSI code page on Windows. The byte arrays must outlive the call.
        const QByteArray verb = operation.toLocal8Bit();
        const QByteArray file = document.toLocal8Bit();
        const QByteArray params = argList ? argList->toLocal8Bit() : QByteArray();
        const QByteArray dir = workFolder ? workFolder->toLocal8Bit() : QByteArray();
        // An absent text goes to the shell as no text at all, not as "".
        return shellAccepted(m_call(verb.constData(), file.constData(),
                                    argList ? params.constData() : nullptr,
                                    workFolder ? dir.constData() : nullptr, showCommand));
    } catch (...) {
        return false;
    }
}

bool SystemShellService::shellOpen(const QString& document, const QString& operation,
                                   const std::optional<QString>& argList,
                                   const std::optional<QString>& workFolder, int showCommand)
{
    return ShellExecuteService(systemShellExecute)
        .shellOpen(document, operation, argList, workFolder, showCommand);
}
