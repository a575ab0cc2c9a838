#pragma once

#include "texts/message.h"

#include <QString>

#include <array>

namespace sorvane {

// One command of the menu bar that shows a text: the definition of a kind of angle, or the
// instructions.
struct Definition
{
    const char* name; // the menu item's name
    QString caption;  // what the menu bar shows
    Message message;
};

// The eight commands in their order on the menu bar, left to right.
const std::array<Definition, 8>& definitions();

// The credit entries of the menu: a heading with two lines under it. They run nothing.
struct Credits
{
    QString heading;
    QString licensee;
    QString authors;
};
const Credits& credits();

} // namespace sorvane
