#include "app/recordfolder.h"

#include "platform/recordfolder.h"

namespace sorvane {

RecordFolder machineRecordFolder()
{
    // The administrator's settings file may name the class's folder; otherwise the folder
    // given when the program is built stands in for the Windows directory (/var/games for the
    // installed game, a folder of their own for the end-to-end tests).
    const platform::NamedFolder named = platform::namedRecordFolder(SORVANE_CONF_FILE);
    if (!named.folder.empty())
        return {named.folder, named.origin, true, named.error};
    std::string origin = "la cartella del gioco, " + std::string(SORVANE_RECORD_DIR);
    if (!named.origin.empty())
        origin += " (" + named.origin + ")";
    return {std::filesystem::path(SORVANE_RECORD_DIR), origin, false, {}};
}

} // namespace sorvane
