#pragma once
// The data file fac_data.txt and its reader.

#include "cards/gamedata.h"
#include "cards/regularfile.h"

#include <QString>
#include <functional>
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

using DataFileOpener = std::function<OpenedFile(const QString& fileName)>;

// Reads fileName (relative names resolve against the working folder) with parseFACs, opened
// through openFile and closed again. The name is looked at once first: a missing one, or one
// that is not a regular file, is refused without an open. A failure is shown through
// messages, captioned "KRVN_QOR", and not passed on.
void readFACs(GameData& data, MessageService& messages,
              const QString& fileName = QStringLiteral("fac_data.txt"),
              const DataFileOpener& openFile = openRegularFile);
