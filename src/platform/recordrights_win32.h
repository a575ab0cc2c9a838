#pragma once

// The rights a record file is created with on Windows, in Windows' own SDDL: full control for
// the system (SY) and the administrators (BA), reading and writing for the Users group (BU),
// nothing for anyone else. One record per machine, which every pupil may beat.

namespace sorvane::platform {

inline constexpr wchar_t recordFileRights[] = L"D:(A;;FA;;;SY)(A;;FA;;;BA)(A;;FRFW;;;BU)";

} // namespace sorvane::platform
