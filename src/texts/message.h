#pragma once

#include <QString>

namespace sorvane {

enum class BoxIcon
{
    None,
    Warning,
    Error,
    Information
};

// A message box as the game logic asks for it; only the window shows it.
struct Message
{
    QString text;
    QString title; // empty: the application's title
    BoxIcon icon = BoxIcon::None;

    friend bool operator==(const Message&, const Message&) = default;
};

// The title every box without one of its own carries.
inline QString applicationTitle()
{
    return QStringLiteral("Sorvane");
}

} // namespace sorvane
