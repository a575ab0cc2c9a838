#include "toolkit/dialogs.h"

namespace sorvane {

void Dialogs::message(const Message& m)
{
    showMessage(m.text, m.title.isEmpty() ? applicationTitle() : m.title, m.icon);
}

} // namespace sorvane
