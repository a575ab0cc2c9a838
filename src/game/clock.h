#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>

namespace sorvane {

// How long a game lasts, and the minutes left that are told by themselves.
inline constexpr qint16 gameMinutes = 15;
inline constexpr std::array<qint16, 2> spokenMinutes{5, 1};

// The game's countdown: hours, minutes and seconds left. Counts ticks, not elapsed time:
// every tick takes exactly one second off.
struct CountdownClock
{
    qint16 ore = 0;
    qint16 minuti = 0;
    float secondi = 0.0f; // always a whole number

    // Full time: gameMinutes.
    void start();

    // One second off, borrowing from the minutes and then from the hours. At 00:00:00 it
    // stays there.
    void tick();

    // "hh:mm:ss", each field at least two digits.
    QString text() const;

    // The time left as it is said: "13 minuti e 45 secondi", "1 minuto", "0 secondi".
    QString spokenText() const;

    // Whether the time left is told by itself: at each of spokenMinutes, once.
    bool isMilestone() const;

    // Whether a clock caption shows the end of the time.
    static bool showsEnd(QStringView caption);
};

// The whole-number digits of a value padded with zeros to at least two digits.
QString twoDigits(double value);

} // namespace sorvane
