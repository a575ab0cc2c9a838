#pragma once

#include <filesystem>
#include <string>

namespace sorvane {

// The machine-wide folder of the record files, shared by every user of the machine: the
// folder the administrator named for the class (platform/recordfolder.h), else the Windows
// directory on Windows and elsewhere the folder fixed when the program is built. Chosen once,
// at the program's very start, before any Qt object exists; the start hands it to the window,
// and tests hand the window a folder of their own instead.
struct RecordFolder
{
    std::filesystem::path path;
    std::string origin; // what named it, for the administrator's check (UTF-8)
    bool named = false; // by the administrator: a folder of the class, perhaps on a share
    std::string error;  // why there is none, in Italian (UTF-8); empty when `path` was found
};

RecordFolder machineRecordFolder();

} // namespace sorvane
