#include "platform/shell.h"

#ifdef Q_OS_WIN
#include <QByteArray>
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>
#else
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#endif

#ifdef Q_OS_WIN

namespace {

std::intptr_t systemShellExecute(const char* operation, const char* file, const char* parameters,
                                 const char* directory, int showCommand)
{
    // No owner window.
    return reinterpret_cast<std::intptr_t>(
        ShellExecuteA(nullptr, operation, file, parameters, directory, showCommand));
}

} // namespace

SystemShellService::SystemShellService(ShellCall call) : m_call(call ? call : systemShellExecute) {}

bool SystemShellService::shellOpen(const QString& document, const QString& operation,
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

#else

namespace {

// A document that names an existing local file or folder, relative names taken from
// workFolder (or the current folder); empty when it is not one.
QString localPath(const QString& document, const std::optional<QString>& workFolder)
{
    if (document.contains(QLatin1String("://")))
        return {};
    QString path = document;
    if (path.startsWith(QLatin1String("file:")))
        path = QUrl(path).toLocalFile();
    const QDir base(workFolder ? *workFolder : QDir::currentPath());
    const QFileInfo info(base, path);
    return info.exists() ? info.absoluteFilePath() : QString();
}

} // namespace

bool SystemShellService::shellOpen(const QString& document, const QString& operation,
                                   const std::optional<QString>& argList,
                                   const std::optional<QString>& workFolder, int /*showCommand*/)
{
    try {
        if (document.trimmed().isEmpty())
            return false;
        // Only the default verb has a meaning for the desktop's handlers; any other verb is
        // refused, as the Windows shell refuses a verb nobody registered.
        const QString verb = operation.trimmed().toLower();
        if (!verb.isEmpty() && verb != QLatin1String("open"))
            return false;

        const QString path = localPath(document, workFolder);
        if (!path.isEmpty()) {
            const QFileInfo info(path);
            if (info.isFile() && info.isExecutable()) {
                // A program is started, with its arguments, and not waited for.
                const QStringList args = argList ? QProcess::splitCommand(*argList) : QStringList();
                return QProcess::startDetached(path, args, workFolder ? *workFolder : QString());
            }
            return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        }
        const QUrl url = QUrl::fromUserInput(document);
        if (!url.isValid())
            return false;
        return QDesktopServices::openUrl(url);
    } catch (...) {
        return false;
    }
}

#endif
