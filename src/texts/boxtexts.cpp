#include "texts/boxtexts.h"

namespace sorvane {

Message sumTooBig(const QString& expected)
{
    return {QStringLiteral(" Hai raggiunto un valore maggiore. Il valore esatto era ") + expected +
                u'°',
            QStringLiteral("Attenzione"), BoxIcon::Error};
}

Message sumTooSmall(const QString& expected)
{
    return {QStringLiteral("Fai attenzione, hai sbagliato. Il valore esatto era ") + expected +
                u'°',
            QStringLiteral("Attenzione"), BoxIcon::Error};
}

Message sumRight()
{
    return {QStringLiteral(" Ok "), QStringLiteral("Giochiamo con gli angoli"),
            BoxIcon::Information};
}

Message farewell(const QString& playerName)
{
    return {QStringLiteral("Ciao a presto ") + playerName, {}, BoxIcon::None};
}

Message recordStored()
{
    return {QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E"), {}, BoxIcon::None};
}

Message recordNotStored()
{
    return {QStringLiteral("Questa volta il tuo record non è stato registrato, perché un'altra "
                           "copia del gioco sta usando i file dei record da troppo tempo."),
            {},
            BoxIcon::Information};
}

Message classRecordUnavailable(const QString& why)
{
    return {QStringLiteral("Il record della classe non si può usare: %1. Puoi giocare lo stesso, "
                           "ma questa volta il record non sarà registrato.")
                .arg(why),
            {},
            BoxIcon::Warning};
}

Message recordNotStoredNoAnswer()
{
    return {QStringLiteral("Questa volta il tuo record non è stato registrato, perché la cartella "
                           "dei record non risponde."),
            {},
            BoxIcon::Information};
}

QString recordFileError(const QString& path, const QString& reason)
{
    return QStringLiteral("Errore con il file dei record %1: %2").arg(path, reason);
}

} // namespace sorvane
