#pragma once

#include "records/recordfiles.h"
#include "texts/message.h"

#include <QString>

namespace sorvane {

// The goodbye to the player by name.
Message farewell(const QString& playerName);

// The confirmation that a new record was stored.
Message recordStored();

// What the player is told when another copy of the game has held the record files too long:
// at start-up, that the record cannot be read just now (the game goes on); at the end, that
// this time the record could not be stored, and why.
Message recordUnknown();
Message recordNotStored();

// The record check at the end of a game: stores the score and the player's name when the
// score is strictly higher than the record shown at start-up and than the one the score file
// holds now (another copy of the game may have stored one since).
// `wait` runs while another copy of the game holds the files (see RecordFiles::Wait).
StoreResult checkRecord(const RecordFiles& files, const QString& scoreCaption,
                        const QString& recordCaption, const QString& playerName,
                        const RecordFiles::Wait& wait = {});

} // namespace sorvane
