#pragma once
// The data file fac_data.txt and its reader.

#include "cards/gamedata.h"
#include <QFileDevice>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QIODevice;
class MessageService;

// What stopped a read: the error number shown to the player and a description that says
// what went wrong and where (card, field, line).
struct ReadFailure
{
    int number = 0;
    QString description;
};

// The parsing core: reads records from an open device into data.FACs, setting facsRead.
// Takes UTF-8 or single-byte text, or UTF-16 that starts with its byte order mark. Stops at
// the first failure and returns it. Never reads further than it needs.
std::optional<ReadFailure> parseFACs(QIODevice& in, GameData& data);

// "Error <n> trying to read FACs.\r\n<description>"
QString readFailureText(const ReadFailure& failure);

// What opening the data file gave: a device open for reading, or why there is none.
struct OpenedFile
{
    std::unique_ptr<QIODevice> device;
    // Without a device: what the name turned out to be when it is not a file ("a named pipe"),
    // else the system's reason, as QFile reports it.
    QString notAFile;
    QFileDevice::FileError error = QFileDevice::NoError;
    QString errorString;
};
using DataFileOpener = std::function<OpenedFile(const QString& fileName)>;

// The real open: read-only, unbuffered, and never waiting (a name that has become a named
// pipe or a device since it was looked at is refused, not waited on). The cue player opens
// its wave files with it too.
OpenedFile openDataFile(const QString& fileName);

// Reads fileName (relative names resolve against the working folder) with parseFACs, opened
// through openFile and closed again; a name that is not a regular file is refused before any
// open. A failure is shown through messages, captioned "KRVN_QOR", and not passed on.
void readFACs(GameData& data, MessageService& messages,
              const QString& fileName = QStringLiteral("fac_data.txt"),
              const DataFileOpener& openFile = openDataFile);
