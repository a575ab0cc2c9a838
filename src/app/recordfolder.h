#pragma once

#include <QString>

namespace sorvane {

// The machine-wide folder of the record files, shared by every user of the machine: the
// Windows directory on Windows, elsewhere the folder fixed when the program is built. Chosen
// once, at the program's start, which hands it to the window; tests hand the window a folder
// of their own instead.
struct RecordFolder
{
    QString path;
    QString error; // why there is none, in Italian; empty when `path` was found
};

RecordFolder machineRecordFolder();

} // namespace sorvane
