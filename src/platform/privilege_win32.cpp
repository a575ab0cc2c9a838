// On Windows the game is never installed with more rights than its user's: its record files
// are writable by the Users group instead.

#include "platform/privilege.h"

namespace sorvane::platform {

bool startedPrivileged()
{
    return false;
}

SysError dropPrivilege()
{
    return {};
}

bool keepSafeEnvironment()
{
    return true;
}

} // namespace sorvane::platform
