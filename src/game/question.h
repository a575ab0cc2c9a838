#pragma once

#include "game/sector.h"

#include <QRect>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <random>

namespace sorvane {

// Where the questions' random numbers come from; tests put in a scripted one.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // Starts a new sequence from the time of day.
    virtual void reseed() = 0;
    // An evenly spread number in [0, 1).
    virtual float next() = 0;
};

class TimeSeededRandom : public RandomSource
{
public:
    TimeSeededRandom();
    void reseed() override;
    float next() override;

private:
    std::mt19937 engine_;
};

// The given angle for a random number r in [0, 1): every whole number from 1 to 89 alike.
qint16 givenAngleFor(float r);

// The expected answer of a question: what completes the given angle to a right angle.
inline qint16 complementOf(qint16 primoangolo)
{
    return static_cast<qint16>(90 - primoangolo);
}

// The expected answer as the game keeps it: empty before the first question.
using ExpectedAnswer = std::optional<qint16>;
QString expectedText(const ExpectedAnswer& valoreesatto);

// The figure's place and colours.
namespace figure {
inline constexpr float centreX = 350.0f;
inline constexpr float centreY = 250.0f;
inline constexpr float radius = 190.0f;
inline constexpr BgrColor rightAngleFill = 0x800000;    // dark blue
inline constexpr BgrColor rightAngleOutline = 0x00FF00; // bright green
inline constexpr BgrColor givenAngleFill = 0x008000;    // dark green
inline constexpr BgrColor givenAngleOutline = 0x000000; // black

// The part of the client area that the figure can ever cover: the right angle's quarter, from
// 12 to 3 o'clock, outline included, with a pixel to spare around it.
constexpr QRect area()
{
    const int side = int(radius) + 1;
    return QRect(int(centreX), int(centreY - radius), side, side).adjusted(-1, -1, 1, 1);
}
} // namespace figure

} // namespace sorvane
