#include "game/clock.h"

#include "texts/spoken.h"

#include <algorithm>
#include <cmath>

namespace sorvane {

namespace {
const QString endCaption = QStringLiteral("00:00:00");
}

void CountdownClock::start()
{
    ore = 0;
    minuti = gameMinutes;
    secondi = 0.0f;
}

void CountdownClock::tick()
{
    if (secondi == 0.0f) {
        if (minuti > 0) {
            minuti -= 1;
            secondi = 60.0f;
        } else if (ore > 0) {
            ore -= 1;
            minuti = 59;
            secondi = 60.0f;
        } else {
            return; // nothing left to count; the caller ends the game on the next tick
        }
    }
    secondi -= 1.0f;
}

QString CountdownClock::text() const
{
    return twoDigits(ore) + u':' + twoDigits(minuti) + u':' + twoDigits(secondi);
}

QString CountdownClock::spokenText() const
{
    return spoken::duration(ore, minuti, static_cast<qint64>(secondi));
}

bool CountdownClock::isMilestone() const
{
    return ore == 0 && secondi == 0.0f &&
           std::find(spokenMinutes.begin(), spokenMinutes.end(), minuti) != spokenMinutes.end();
}

bool CountdownClock::showsEnd(QStringView caption)
{
    return caption == endCaption;
}

QString twoDigits(double value)
{
    const auto whole = static_cast<qint64>(std::trunc(value));
    QString digits = QString::number(whole < 0 ? -whole : whole).rightJustified(2, u'0');
    return whole < 0 ? u'-' + digits : digits;
}

} // namespace sorvane
