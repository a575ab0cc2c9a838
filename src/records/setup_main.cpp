// sorvane-records [--group GROUP] FOLDER: makes the machine's record files in FOLDER, each
// empty where it is missing; existing files keep their bytes. Run by the installers as an
// administrator, since pupils may not create files in the record folder. Without --group the
// files are writable by every user; with it (the game installed set-group-id to GROUP) they
// are given to GROUP and writable by it only, existing ones included, and the journal, whose lock
// guards the record, is not even readable by others; a folder other than the machine's own (a
// class's, on a server) is given to GROUP as well, root:GROUP 2775.
// FOLDER is taken as it was given, byte for byte, whatever its encoding.
//
// sorvane-records --verifica: the administrator's check of this PC. Says which folder the game
// uses and what named it, its file system and the mount options that matter to the lock,
// whether each record file can be read and written, and whether a store could take the lock
// now. Nothing is created or changed. Exit status 0 when all is well.

#include "app/recordfolder.h"
#include "platform/commandline.h"
#include "platform/recordfolder.h"
#include "records/recordhandles.h"
#include "texts/boxtexts.h"

#include <cstdio>
#include <cstdlib>
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

void say(const std::string& what, const std::string& value)
{
    std::printf("%s: %s\n", what.c_str(), value.c_str());
}

int verify()
{
    using namespace sorvane;
    namespace platform = sorvane::platform;
    using platform::RecordFile;
    const RecordFolder records = machineRecordFolder();
    const std::string shown = platform::printablePath(records.path);
    say("Cartella dei record", shown.empty() ? "nessuna" : shown);
    say("Scelta da", records.origin.empty() ? "nessuna impostazione" : records.origin);
    bool fine = records.error.empty();
    if (!fine) {
        say("Errore", records.error);
        return 1;
    }
    const std::string fileSystem = platform::fileSystemOf(records.path);
    say("File system", fileSystem.empty() ? "sconosciuto" : fileSystem);
    const std::string locks = platform::locksStayHere(records.path);
    say("Blocchi",
        locks.empty() ? "visti dagli altri PC che usano la cartella" : "NON USABILE: " + locks);
    fine = fine && locks.empty();

    constexpr RecordFileNames names = recordFileNames();
    RecordFile journal;
    for (const char* name : {names.score, names.name, names.journal}) {
        platform::SysError error;
        RecordFile file = RecordFile::open(records.path / name, RecordFile::Access::ReadWrite,
                                           RecordFile::Missing::Fail, error);
        std::string bytes;
        if (!error)
            file.read(bytes, 1, error);
        say(name, error ? "NON USABILE: " + platform::reason(error) : "si legge e si scrive");
        fine = fine && !error;
        if (name == names.journal)
            journal = std::move(file);
    }
    // The lock every copy takes before storing, taken and let go at once.
    if (journal.isOpen()) {
        platform::SysError error;
        const RecordFile::Lock lock = journal.tryLock(error);
        if (lock == RecordFile::Lock::Taken)
            journal.unlock();
        say("Registrare un record adesso", lock == RecordFile::Lock::Taken ? "possibile"
                                           : lock == RecordFile::Lock::Busy
                                               ? "non ora: un'altra copia del gioco sta registrando"
                                               : "NON POSSIBILE: " + platform::reason(error));
        fine = fine && lock != RecordFile::Lock::Failed;
    }
    std::printf("%s\n", fine ? "Tutto a posto." : "Il gioco non può usare questa cartella.");
    return fine ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    using namespace sorvane;
    namespace platform = sorvane::platform;
    if (argc == 2 && std::string_view(argv[1]) == "--verifica")
        return verify();
    std::string group;
    int folderArg = 1;
    if (argc == 4 && std::string_view(argv[1]) == "--group") {
        group = argv[2];
        folderArg = 3;
    }
    if (argc != folderArg + 1 || (folderArg == 3 && group.empty())) {
        std::fprintf(stderr, "Uso: sorvane-records [--group GRUPPO] CARTELLA\n"
                             "     sorvane-records --verifica\n");
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

    // A class's folder, unlike the machine's own system folder, is the game's: it is given to
    // the group too, so that the game may make a missing file in it.
    // (The install run into a staging folder, DESTDIR, makes the machine's own there.)
    const char* staging = std::getenv("DESTDIR");
    const std::filesystem::path machine =
        std::string(staging ? staging : "") + std::string(SORVANE_RECORD_DIR);
    const bool classFolder = std::filesystem::weakly_canonical(folder, ec) !=
                             std::filesystem::weakly_canonical(machine, ec);
    if (!group.empty() && classFolder) {
        if (const platform::SysError error = platform::shareFolderWithGroup(folder, group))
            return fail("Impossibile dare la cartella " + shown + " al gruppo " + group + ": " +
                        platform::reason(error));
    }
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
