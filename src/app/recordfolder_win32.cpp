#include "app/recordfolder.h"

#include "platform/recordfolder.h"
#include "platform/recordio.h"

namespace sorvane {

RecordFolder machineRecordFolder()
{
    // The folder Group Policy or the installer named for the class; else the Windows
    // directory, as Windows gives it, of any length.
    const platform::NamedFolder named = platform::namedRecordFolder({});
    if (!named.folder.empty())
        return {named.folder, named.origin, true, named.error};
    platform::SysError error;
    const auto dir = platform::windowsDirectory(error);
    if (!dir)
        return {{},
                {},
                false,
                "Impossibile trovare la cartella di Windows: " + platform::reason(error)};
    return {*dir, "la cartella di Windows", false, {}};
}

} // namespace sorvane
