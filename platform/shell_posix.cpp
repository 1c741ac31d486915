#include "platform/shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

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
