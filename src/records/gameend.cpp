#include "records/gameend.h"

#include "game/numbers.h"

namespace sorvane {

Message farewell(const QString& playerName)
{
    return {QStringLiteral("Ciao a presto ") + playerName, {}, BoxIcon::None};
}

Message recordStored()
{
    return {QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E"), {}, BoxIcon::None};
}

Message recordUnknown()
{
    return {QStringLiteral("Il record non si può leggere in questo momento, perché un'altra copia "
                           "del gioco sta usando i file dei record. Puoi giocare lo stesso."),
            {},
            BoxIcon::Information};
}

Message recordNotStored()
{
    return {QStringLiteral("Questa volta il tuo record non è stato registrato, perché un'altra "
                           "copia del gioco sta usando i file dei record da troppo tempo."),
            {},
            BoxIcon::Information};
}

StoreResult checkRecord(const RecordFiles& files, const QString& scoreCaption,
                        const QString& recordCaption, const QString& playerName,
                        const RecordFiles::Wait& wait)
{
    // Not above the record shown: the files are not even opened.
    if (!(leadingNumber(scoreCaption) > leadingNumber(recordCaption)))
        return {StoreOutcome::NotHigher, std::nullopt};
    return files.storeIfHigher(scoreCaption, playerName, wait);
}

} // namespace sorvane
