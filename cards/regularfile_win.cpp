#include "cards/regularfile.h"

#include <QFile>
#include <QFileInfo>

FileEntry lookUpEntry(const QString& fileName)
{
    const QFileInfo info(fileName);
    FileEntry entry;
    entry.exists = info.exists();
    if (entry.exists && !info.isFile())
        entry.nonFileKind =
            info.isDir() ? QStringLiteral("a folder") : QStringLiteral("a special file");
    return entry;
}

OpenedFile openRegularFile(const QString& fileName)
{
    OpenedFile opened;
    // No named pipes or devices among the files here; refuse whatever is not a file all the same.
    opened.nonFileKind = lookUpEntry(fileName).nonFileKind;
    if (!opened.nonFileKind.isEmpty())
        return opened;
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        opened.error = file->error();
        opened.errorString = file->errorString();
        return opened;
    }
    opened.device = std::move(file);
    return opened;
}
