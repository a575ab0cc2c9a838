#include "app/recordfolder.h"

#include "platform/recordio.h"

namespace sorvane {

RecordFolder machineRecordFolder()
{
    // The Windows directory, as Windows gives it, of any length.
    platform::SysError error;
    const auto dir = platform::windowsDirectory(error);
    if (!dir) {
        return {{},
                QStringLiteral("Impossibile trovare la cartella di Windows: %1")
                    .arg(QString::fromStdString(platform::reason(error)))};
    }
    return {QString::fromStdWString(dir->wstring()), {}};
}

} // namespace sorvane
