#include "app/recordfolder.h"

namespace sorvane {

RecordFolder machineRecordFolder()
{
    // There is no Windows directory: the folder given when the program is built stands in for
    // it (/var/games for the installed game, a folder of their own for the end-to-end tests).
    return {std::filesystem::path(SORVANE_RECORD_DIR), {}};
}

} // namespace sorvane
