#pragma once

#include "texts/message.h"

#include <QString>

namespace sorvane {

// The modal boxes the game shows. The window asks for them only through this interface, so
// tests put in a scripted one.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A message box with one OK button; returns when the player has closed it. A message
    // without a title of its own carries the application's title.
    void message(const Message& m);

    // An input box with OK and Cancel and an empty entry field: the typed text, or the empty
    // text on Cancel.
    virtual QString input(const QString& prompt, const QString& title) = 0;

protected:
    virtual void showMessage(const QString& text, const QString& title, BoxIcon icon) = 0;
};

} // namespace sorvane
