#pragma once

// The one privilege the game may be installed with, and what goes with it. Installed
// system-wide on Linux, the game is set-group-id to its own group, the only one that may write
// the machine's record files: at the very start it opens them, then gives the group up for
// good before anything else runs, Qt included. Free of Qt.

#include "platform/recordio.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// What a process opened for another: each file's system handle (-1: none) and the failure that
// kept it from opening it (SysError's code), and a sentence of its own (UTF-8).
struct Handed
{
    std::intptr_t handle = -1;
    int error = 0;
};
struct HandedFiles
{
    std::vector<Handed> files;
    std::string note;
};

// Files opened with the rights the program was started with, by a child process that keeps
// those rights while the program goes on at once and gives its own up: a record folder on a
// server that does not answer keeps only the child waiting, never the program's start. The
// child does nothing but run `open` and hand back what it opened. Where no child can be
// started, and on Windows, `open` runs at once instead.
class OpenedElsewhere
{
public:
    explicit OpenedElsewhere(const std::function<HandedFiles()>& open);
    ~OpenedElsewhere();
    OpenedElsewhere(const OpenedElsewhere&) = delete;
    OpenedElsewhere& operator=(const OpenedElsewhere&) = delete;

    // The files, once the child has handed them over: waits as long as that takes, so it is
    // called off the window's thread. A child that ended without handing anything over gives
    // no files and a note saying so.
    HandedFiles take();

private:
    int socket_ = -1;
    std::optional<HandedFiles> ready_;
};

} // namespace sorvane::platform
