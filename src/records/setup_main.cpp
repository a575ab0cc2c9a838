// sorvane-records [--group GROUP] FOLDER: makes the machine's record files in FOLDER, each
// empty where it is missing; existing files keep their bytes. Run by the installers as an
// administrator, since pupils may not create files in the record folder. Without --group the
// files are writable by every user; with it (the game installed set-group-id to GROUP) they
// are given to GROUP and writable by it only, existing ones included, and the journal, whose lock
// guards the record, is not even readable by others.
// FOLDER is taken as it was given, byte for byte, whatever its encoding.

#include "platform/commandline.h"
#include "records/recordhandles.h"
#include "texts/boxtexts.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace {

int fail(const std::string& message)
{
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    using namespace sorvane;
    namespace platform = sorvane::platform;
    std::string group;
    int folderArg = 1;
    if (argc == 4 && std::string_view(argv[1]) == "--group") {
        group = argv[2];
        folderArg = 3;
    }
    if (argc != folderArg + 1 || (folderArg == 3 && group.empty())) {
        std::fprintf(stderr, "Uso: sorvane-records [--group GRUPPO] CARTELLA\n");
        return 2;
    }
    const std::filesystem::path folder = platform::argumentPath(argc, argv, folderArg);
    const std::string shown = platform::printablePath(folder);
    if (folder.empty())
        return fail("La cartella dei record non può essere un nome vuoto");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder, ec))
        return fail("Impossibile creare la cartella " + shown);

    const auto sharing =
        group.empty() ? RecordHandles::Sharing::EveryUser : RecordHandles::Sharing::Group;
    RecordHandles files = RecordHandles::open(folder, sharing);
    for (OpenedFile* f : {&files.score, &files.name, &files.journal}) {
        if (!f->error && !group.empty()) {
            f->error = f->file.shareWithGroup(
                group, f == &files.journal ? RecordHandles::journalSharing(sharing) : sharing);
        }
        if (f->error) {
            // The path byte for byte, whatever its encoding, in the game's own wording.
            std::string message =
                recordFileError(QStringLiteral("\x01"),
                                QString::fromStdString(platform::reason(f->error)))
                    .toStdString();
            return fail(message.replace(message.find('\x01'), 1, platform::printablePath(f->path)));
        }
    }
    return 0;
}
