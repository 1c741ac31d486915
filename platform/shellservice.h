#pragma once
// Asking the desktop to open a document or web address with its registered handler.

#include <QString>
#include <optional>

class ShellService
{
  public:
    virtual ~ShellService() = default;
    // True when the platform accepted the request. Shows nothing, throws nothing.
    // An absent argList or workFolder is passed to the platform as no text at all.
    virtual bool shellOpen(const QString& document, const QString& operation,
                           const std::optional<QString>& argList,
                           const std::optional<QString>& workFolder, int showCommand) = 0;
};
