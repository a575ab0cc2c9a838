#pragma once

#include "texts/captions.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace sorvane {

// What the window tells a screen reader, in the window's own words: each sentence says
// what one label shows, with the word that stands beside it.
namespace spoken {

inline QString angle(qint16 primoangolo)
{
    return QStringLiteral("Il primo angolo misura %1 %2")
        .arg(primoangolo)
        .arg(primoangolo == 1 ? QStringLiteral("grado") : QStringLiteral("gradi"));
}

inline QString rightAnswers(qint16 esatte)
{
    return captions::rightAnswers + QStringLiteral(" %1").arg(esatte);
}

inline QString wrongAnswers(qint16 errate)
{
    return captions::wrongAnswers + QStringLiteral(" %1").arg(errate);
}

// Both counts as one sentence: "Risposte esatte 1, risposte errate 0."
inline QString counts(qint16 esatte, qint16 errate)
{
    return rightAnswers(esatte) + QStringLiteral(", ") + wrongAnswers(errate).toLower() + u'.';
}

inline QString total(qint16 somma)
{
    return QStringLiteral("Somma %1").arg(somma);
}

// A time as it is said: "13 minuti e 45 secondi", "1 ora", "0 secondi".
inline QString duration(qint64 hours, qint64 minutes, qint64 seconds)
{
    const auto part = [](qint64 n, const char* one, const char* many) {
        return QString::number(n) + u' ' + QLatin1String(n == 1 ? one : many);
    };
    QStringList parts;
    if (hours > 0)
        parts << part(hours, "ora", "ore");
    if (minutes > 0)
        parts << part(minutes, "minuto", "minuti");
    if (seconds > 0 || parts.isEmpty())
        parts << part(seconds, "secondo", "secondi");
    const QString last = parts.takeLast();
    return parts.isEmpty() ? last : parts.join(QStringLiteral(", ")) + QStringLiteral(" e ") + last;
}

inline QString timeLeft(const QString& duration)
{
    return captions::timeLeft + u' ' + duration;
}

} // namespace spoken
} // namespace sorvane
