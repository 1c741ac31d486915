#pragma once
// Opening a file that must be a regular file, for reading and without ever waiting: the
// data file, and the cue player's wave files. One implementation a platform, chosen by the
// build (regularfile_posix.cpp, regularfile_win.cpp).

#include <QFileDevice>
#include <QString>
#include <memory>

class QIODevice;

// What a name stands for in the file system, seen without opening it, so nothing can block.
struct FileEntry
{
    bool exists = false; // false for a link that leads nowhere, too
    // What the entry is when it is neither a regular file nor a link to one, as a message
    // words it ("a folder", "a named pipe"); empty otherwise.
    QString nonFileKind;
};
FileEntry lookUpEntry(const QString& fileName);

// What opening gave: a device open for reading, or why there is none.
struct OpenedFile
{
    std::unique_ptr<QIODevice> device;
    // Without a device: what the name turned out to be when it is not a regular file (as in
    // FileEntry), else empty and the system's reason below, as QFile reports it.
    QString nonFileKind;
    QFileDevice::FileError error = QFileDevice::NoError;
    QString errorString;
};

// Read-only and unbuffered, with one check of what the name is: a name that is, or has
// become since a caller looked, a named pipe or a device is refused, not waited on.
OpenedFile openRegularFile(const QString& fileName);
