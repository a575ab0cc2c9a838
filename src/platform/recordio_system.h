#pragma once

// What each system's branch of the record files' operations gives the part they share.

#include <span>

namespace sorvane::platform {

struct Reason
{
    int code;
    const char* text;
};

// The system's own failure numbers that the record files can meet, each in Italian.
std::span<const Reason> systemReasons();

} // namespace sorvane::platform
