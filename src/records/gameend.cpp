#include "records/gameend.h"

namespace sorvane {

StoreResult checkRecord(const RecordFiles& files, const QString& scoreCaption,
                        const QString& recordCaption, const QString& playerName,
                        const RecordFiles::Wait& wait)
{
    // Not above the record shown: the files are not even opened.
    if (!isNewRecord(scoreCaption, recordCaption))
        return {StoreOutcome::NotHigher, std::nullopt};
    return files.storeIfHigher(scoreCaption, playerName, wait);
}

} // namespace sorvane
