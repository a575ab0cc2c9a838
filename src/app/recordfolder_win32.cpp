#include "app/recordfolder.h"

#include "platform/recordio.h"

namespace sorvane {

RecordFolder machineRecordFolder()
{
    // The Windows directory, as Windows gives it, of any length.
    platform::SysError error;
    const auto dir = platform::windowsDirectory(error);
    if (!dir)
        return {{}, "Impossibile trovare la cartella di Windows: " + platform::reason(error)};
    return {*dir, {}};
}

} // namespace sorvane
