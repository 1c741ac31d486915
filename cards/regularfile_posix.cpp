#include "cards/regularfile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a file-system entry that is not a regular file is, for the message.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    return QStringLiteral("a special file");
}

} // namespace

FileEntry lookUpEntry(const QString& fileName)
{
    FileEntry entry;
    struct stat status;
    if (::stat(QFile::encodeName(fileName).constData(), &status) != 0)
        return entry;
    entry.exists = true;
    if (!S_ISREG(status.st_mode))
        entry.nonFileKind = kindOf(status.st_mode);
    return entry;
}

OpenedFile openRegularFile(const QString& fileName)
{
    OpenedFile opened;
    // Without O_NONBLOCK, opening a named pipe waits for a writer, for ever if none comes.
    const int fd =
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int cause = errno;
        opened.error = cause == EACCES || cause == EPERM ? QFileDevice::PermissionsError
                                                         : QFileDevice::OpenError;
        opened.errorString = qt_error_string(cause);
        return opened;
    }
    // The check is of what was opened, so the name cannot change between a look and the open.
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        opened.error = QFileDevice::OpenError;
        opened.errorString = qt_error_string(errno);
        ::close(fd);
        return opened;
    }
    if (!S_ISREG(status.st_mode)) {
        opened.nonFileKind = kindOf(status.st_mode);
        ::close(fd);
        return opened;
    }
    // A regular file ignores O_NONBLOCK; clear it all the same, reads are meant to wait.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        opened.error = file->error();
        opened.errorString = file->errorString();
        return opened;
    }
    opened.device = std::move(file);
    return opened;
}
