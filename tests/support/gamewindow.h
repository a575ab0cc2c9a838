#pragma once

#include "app/windowlayout.h"
#include "game/question.h"
#include "game/valuebuttons.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>

#include <array>
#include <cmath>
#include <numbers>

namespace sorvane::testing {

// Where the game's window puts what a player clicks and reads, in its client area, under the
// menu bar (from the window's layout).
struct GameWindow
{
    static inline const int clientHeight = layout::clientSize.height();
    static inline const QRect verificaPlace = layout::control(u"cmdverifica").place;
    static inline const QRect esciPlace = layout::control(u"Cmdexit1").place;
    static inline const QPoint verifica = verificaPlace.center();
    static inline const QPoint esci = esciPlace.center();
    // The centre of a value button (src/game/valuebuttons.h).
    static constexpr QPoint centreOf(const ValueButton& b) { return b.place().center(); }
    // The index in `Option1` of the value button that adds `value`; 0 when there is none.
    static constexpr int indexOf(int value)
    {
        for (int i = firstValueButton; i <= lastValueButton; ++i) {
            if (valueButton(i).value == value)
                return i;
        }
        return 0;
    }
    // The indexes of the buttons that add up to `sum`, largest first.
    static QList<int> indexesFor(int sum)
    {
        QList<int> out;
        for (const ValueButton& b : valuesFor(sum))
            out << indexOf(b.value);
        return out;
    }
    // The buttons that add up to `sum`, largest first.
    static QList<ValueButton> valuesFor(int sum)
    {
        QList<ValueButton> out;
        for (auto b = valueButtons.rbegin(); b != valueButtons.rend(); ++b)
            for (; sum >= b->value; sum -= b->value)
                out << *b;
        return out;
    }
    static inline const QRect wrongCount = layout::control(u"lblScore1").place;
    // The figure: the quarter's centre, and the arc along which its colours are read.
    static constexpr QPoint figureCentre{int(figure::centreX), int(figure::centreY)};
    static constexpr double figureArc = figure::radius - 5;

    // The given angle as drawn in a screenshot whose client area starts `top` pixels down:
    // where the green sector meets the blue rest of the quarter, found along an arc in small
    // steps. At the ends of the range one of the two is a sliver hidden under its outline: no
    // green is 1 degree, no blue after the green 89; 0 when there is no figure at all.
    static int drawnAngle(const QImage& shot, int top)
    {
        const QColor green(0, 128, 0), blue(0, 0, 128);
        bool blueSeen = false;
        double lastGreen = -1, firstBlue = -1;
        for (double a = 0.05; a < 90; a += 0.05) {
            const double rad = a * std::numbers::pi / 180.0;
            const QColor c = shot.pixelColor(
                int(std::lround(figureCentre.x() + figureArc * std::sin(rad))),
                int(std::lround(figureCentre.y() - figureArc * std::cos(rad))) + top);
            if (c == green && firstBlue < 0)
                lastGreen = a;
            else if (c == blue && lastGreen >= 0 && firstBlue < 0)
                firstBlue = a;
            blueSeen |= c == blue;
        }
        if (lastGreen < 0)
            return blueSeen ? 1 : 0;
        if (firstBlue < 0)
            return 89;
        return int(std::lround((lastGreen + firstBlue) / 2));
    }
};

} // namespace sorvane::testing
