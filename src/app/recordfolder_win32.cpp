#include "app/recordfolder.h"

#include <windows.h>

#include <string>

namespace sorvane {

RecordFolder machineRecordFolder()
{
    // Asked once with no buffer for the length the folder needs, then for the folder itself,
    // so that a Windows directory of any length fits.
    const UINT needed = GetWindowsDirectoryW(nullptr, 0);
    std::wstring dir(needed, L'\0');
    const UINT copied = needed ? GetWindowsDirectoryW(dir.data(), needed) : 0;
    if (copied == 0 || copied >= needed) {
        return {{},
                QStringLiteral("Impossibile trovare la cartella di Windows (errore %1).")
                    .arg(GetLastError())};
    }
    dir.resize(copied);
    return {QString::fromStdWString(dir), {}};
}

} // namespace sorvane
