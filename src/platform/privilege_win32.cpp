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

OpenedElsewhere::OpenedElsewhere(const std::function<HandedFiles()>& open) : ready_(open()) {}

OpenedElsewhere::~OpenedElsewhere() = default;

HandedFiles OpenedElsewhere::take()
{
    return std::move(*ready_);
}

} // namespace sorvane::platform
