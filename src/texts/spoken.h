#pragma once

#include "game/clock.h"

#include <QString>
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
    return QStringLiteral("Risposte esatte %1").arg(esatte);
}

inline QString wrongAnswers(qint16 errate)
{
    return QStringLiteral("Risposte errate %1").arg(errate);
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

inline QString timeLeft(const CountdownClock& clock)
{
    return QStringLiteral("Tempo restante ") + clock.spokenText();
}

} // namespace spoken
} // namespace sorvane
