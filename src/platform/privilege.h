#pragma once

// The one privilege the game may be installed with, and what goes with it. Installed
// system-wide on Linux, the game is set-group-id to its own group, the only one that may write
// the machine's record files: at the very start it opens them, then gives the group up for
// good before anything else runs, Qt included. Free of Qt.

#include "platform/recordio.h"

namespace sorvane::platform {

// Whether the program was started with more rights than the user who started it has (a
// set-group-id or set-user-id program). Never on Windows.
bool startedPrivileged();

// Gives up the rights the program was started with, for good, and checks that none is left:
// every group and user identity is the real one afterwards. A failure leaves the program
// unable to go on safely.
SysError dropPrivilege();

// Keeps only the environment the game needs, each variable of the shape it must have, and sets
// the rest itself (the X11 platform, no GL): nothing else of the user's reaches Qt or the
// libraries it loads, so none of them takes code from a folder the user chooses. Run before Qt
// starts, when started privileged. False when there is no X display to show the game on.
bool keepSafeEnvironment();

} // namespace sorvane::platform
