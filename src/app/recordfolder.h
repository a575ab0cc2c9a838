#pragma once

#include <filesystem>
#include <string>

namespace sorvane {

// The machine-wide folder of the record files, shared by every user of the machine: the
// Windows directory on Windows, elsewhere the folder fixed when the program is built. Chosen
// once, at the program's very start, before any Qt object exists; the start hands it to the
// window, and tests hand the window a folder of their own instead.
struct RecordFolder
{
    std::filesystem::path path;
    std::string error; // why there is none, in Italian (UTF-8); empty when `path` was found
};

RecordFolder machineRecordFolder();

} // namespace sorvane
