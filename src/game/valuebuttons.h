#pragma once

#include <QRect>
#include <QtGlobal>

#include <array>

namespace sorvane {

// The value buttons, members 1 to 11 of the control array `Option1` in this order: the value
// each adds (its caption) and its place in the client area. The game, the layout, the keys and
// the tests all take them from here; their look is the window's (app/windowlayout.h).
struct ValueButton
{
    qint16 value;
    int left;

    static constexpr int top = 472;
    static constexpr int width = 65;
    static constexpr int height = 70;
    constexpr QRect place() const { return {left, top, width, height}; }
};

inline constexpr std::array<ValueButton, 11> valueButtons{{{1, 5},
                                                           {2, 72},
                                                           {3, 139},
                                                           {5, 206},
                                                           {10, 273},
                                                           {20, 340},
                                                           {30, 408},
                                                           {40, 475},
                                                           {50, 542},
                                                           {60, 610},
                                                           {70, 680}}};

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
