#pragma once

#include "game/bgrcolor.h"

#include <QRect>
#include <QtGlobal>

#include <array>

namespace sorvane {

// The value buttons, members 1 to 11 of the control array `Option1` in this order: the value
// each adds (its caption), its place in the client area and its caption's colour as laid out.
// The layout, the keys and the tests all take them from here.
struct ValueButton
{
    qint16 value;
    int left;
    BgrColor text;

    static constexpr int top = 472;
    static constexpr int width = 65;
    static constexpr int height = 70;
    constexpr QRect place() const { return {left, top, width, height}; }
};

inline constexpr std::array<ValueButton, 11> valueButtons{{{1, 5, 0xFFFF00},
                                                           {2, 72, 0xFFFF80},
                                                           {3, 139, 0xFFFF00},
                                                           {5, 206, 0xFFFF80},
                                                           {10, 273, 0xFFFF00},
                                                           {20, 340, 0xFFFF00},
                                                           {30, 408, 0xFFFF00},
                                                           {40, 475, 0xFFFF00},
                                                           {50, 542, 0xFFFF00},
                                                           {60, 610, 0xFFFF00},
                                                           {70, 680, 0xFFFF00}}};

// The indexes of `Option1` that are value buttons; member 0 is the array's hidden template.
inline constexpr qint16 firstValueButton = 1;
inline constexpr qint16 lastValueButton = qint16(valueButtons.size());

constexpr bool isValueButton(int index)
{
    return index >= firstValueButton && index <= lastValueButton;
}

constexpr const ValueButton& valueButton(int index)
{
    return valueButtons[std::size_t(index - firstValueButton)];
}

} // namespace sorvane
