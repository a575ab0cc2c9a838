#pragma once

#include "texts/message.h"

#include <QString>

namespace sorvane {

// The game's boxes, in the game's own words: the answers, the game end and the record files.

// The verdict on an answer whose expected value is `expected`.
Message sumTooBig(const QString& expected);
Message sumTooSmall(const QString& expected);
Message sumRight();

// The goodbye to the player by name.
Message farewell(const QString& playerName);

// The confirmation that a new record was stored.
Message recordStored();

// What the player is told at the end when this time the record could not be stored, and why:
// another copy of the game held the record files too long, or the folder of the record (a
// school server's share, perhaps) stopped answering.
Message recordNotStored();
Message recordNotStoredNoAnswer();

// At start-up, when the class's record folder that the administrator named cannot be used:
// `why` it cannot (in Italian); the game goes on without the record.
Message classRecordUnavailable(const QString& why);

// A record file that cannot be used, named by `path`, and why (in Italian).
QString recordFileError(const QString& path, const QString& reason);

} // namespace sorvane
