// The part of the record folder's setting and checks that is the same on every system.

#include "platform/recordfolder.h"

#include <vector>

namespace sorvane::platform {

namespace {

constexpr std::string_view blanks = " \t\r";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// A mount table's field, whose blanks, tabs, new lines and backslashes are written in octal.
std::string unescaped(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            field.substr(i + 1, 3).find_first_not_of("01234567") == std::string_view::npos) {
            out +=
                char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// Whether `mountPoint` holds `path`: the same folder or one of its parents.
bool holds(std::string_view mountPoint, std::string_view path)
{
    if (mountPoint == "/")
        return !path.empty() && path.front() == '/';
    return path.substr(0, mountPoint.size()) == mountPoint &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

struct Mount
{
    std::string point;
    std::string type;
    std::vector<std::string_view> options; // the mount's and the file system's
};

// The mount of the device `major:minor` that holds `path`, the deepest one; lines that
// cannot be read are passed over.
std::optional<Mount> mountOf(std::string_view table, unsigned major, unsigned minor,
                             std::string_view path)
{
    const std::string device = std::to_string(major) + ':' + std::to_string(minor);
    std::optional<Mount> found;
    for (std::string_view line : split(table, '\n')) {
        const std::vector<std::string_view> fields = split(line, ' ');
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-")
            ++dash;
        if (dash + 3 >= fields.size() || fields[2] != device)
            continue;
        Mount mount{unescaped(fields[4]), std::string(fields[dash + 1]), split(fields[5], ',')};
        for (std::string_view option : split(fields[dash + 3], ','))
            mount.options.push_back(option);
        const bool deeper = !found || mount.point.size() >= found->point.size();
        if (holds(mount.point, path) && deeper)
            found = std::move(mount);
    }
    return found;
}

bool hasOption(const Mount& mount, std::string_view option)
{
    for (std::string_view o : mount.options) {
        if (o == option)
            return true;
    }
    return false;
}

} // namespace

std::optional<std::string> settingValue(std::string_view text, std::string_view key)
{
    std::optional<std::string> value;
    for (std::string_view line : split(text, '\n')) {
        line = trimmed(line);
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || trimmed(line.substr(0, equals)) != key)
            continue;
        const std::string_view v = trimmed(line.substr(equals + 1));
        value = v.empty() ? std::nullopt : std::optional<std::string>(v);
    }
    return value;
}

std::string locksStayHere(std::string_view mountInfo, unsigned major, unsigned minor,
                          std::string_view path)
{
    const auto mount = mountOf(mountInfo, major, minor, path);
    if (!mount)
        return {};
    const std::string_view afterwards =
        ", che tiene i blocchi su questo PC: gli altri PC che usano la stessa cartella non "
        "li vedrebbero";
    if ((mount->type == "cifs" || mount->type == "smb3") && hasOption(*mount, "nobrl"))
        return "la cartella è su una condivisione SMB montata con l'opzione nobrl" +
               std::string(afterwards);
    if (mount->type == "nfs" || mount->type == "nfs4") {
        // `nolock` keeps them all here as well.
        for (const char* option : {"local_lock=all", "local_lock=posix", "nolock"}) {
            if (hasOption(*mount, option))
                return "la cartella è su una condivisione NFS montata con l'opzione " +
                       std::string(option) + std::string(afterwards);
        }
    }
    return {};
}

std::string fileSystemOf(std::string_view mountInfo, unsigned major, unsigned minor,
                         std::string_view path)
{
    const auto mount = mountOf(mountInfo, major, minor, path);
    if (!mount)
        return {};
    std::string said = mount->type + ", montato su " + mount->point;
    std::string options;
    for (std::string_view o : mount->options) {
        if (o == "nobrl" || o == "nolock" || o.starts_with("local_lock=") ||
            o.starts_with("vers=") || o == "ro") {
            options += (options.empty() ? "" : ",") + std::string(o);
        }
    }
    return options.empty() ? said : said + " (" + options + ")";
}

} // namespace sorvane::platform
