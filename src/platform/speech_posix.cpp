// On Linux the announcer's own AT-SPI notifications are what Orca speaks: nothing to add.

#include "platform/speech.h"

namespace sorvane::platform {

bool raiseNotification(std::intptr_t, std::u16string_view)
{
    return false;
}

} // namespace sorvane::platform
