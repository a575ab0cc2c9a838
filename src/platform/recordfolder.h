#pragma once

// Where the administrator names the folder of the class's record, machine-wide, and whether
// a folder's locks are seen by the other PCs of the lab. Free of Qt.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane::platform {

// The folder an administrator named, if any.
struct NamedFolder
{
    std::filesystem::path folder; // empty: none named, the machine's own folder stands
    std::string origin;           // what named it, or what was passed over and why (UTF-8)
    std::string error;            // a setting that names no usable folder, in Italian
};

// On Linux, the key `cartella` of the settings file `confFile`, which counts only when root
// owns it and nobody else may write it. On Windows (`confFile` unused), the policy value
// CartellaRecord under HKLM\SOFTWARE\Policies\Sorvane, else the installers' one under
// HKLM\SOFTWARE\Sorvane.
NamedFolder namedRecordFolder(const std::filesystem::path& confFile);

// The value of `key` in the text of a settings file: lines `key = value`, with blanks around
// either part, and lines starting with `#` or `;` left aside. The last such line counts; an
// empty value is none.
std::optional<std::string> settingValue(std::string_view text, std::string_view key);

// The key of the settings file that names the folder.
inline constexpr std::string_view folderKey = "cartella";

// Why locks taken in `folder` would stay on this PC, unseen by the others sharing it, in
// Italian; empty when they are not (or the folder cannot be told). Read from the mount table:
// an SMB share mounted with `nobrl`, an NFS one with `local_lock` of its record locks.
std::string locksStayHere(const std::filesystem::path& folder);

// The same, from a mount table's text (/proc/self/mountinfo) and the folder's device and
// path.
std::string locksStayHere(std::string_view mountInfo, unsigned major, unsigned minor,
                          std::string_view path);

// The file system of `folder` and its options that matter to the lock, for the
// administrator's check: "ext4, montato su /", "cifs, montato su /srv/scuola (nobrl)". Empty where
// it cannot be told.
std::string fileSystemOf(const std::filesystem::path& folder);
std::string fileSystemOf(std::string_view mountInfo, unsigned major, unsigned minor,
                         std::string_view path);

} // namespace sorvane::platform
