#pragma once

#include "records/recordfiles.h"
#include "texts/boxtexts.h"

#include <QString>

namespace sorvane {

// The record check at the end of a game: stores the score and the player's name when the
// score is strictly higher than the record shown at start-up and than the one the score file
// holds now (another copy of the game may have stored one since).
// `wait` runs while another copy of the game holds the files (see RecordFiles::Wait).
StoreResult checkRecord(const RecordFiles& files, const QString& scoreCaption,
                        const QString& recordCaption, const QString& playerName,
                        const RecordFiles::Wait& wait = {});

} // namespace sorvane
