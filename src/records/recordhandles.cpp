#include "records/recordhandles.h"

#include "platform/privilege.h"
#include "platform/recordfolder.h"

#include <cerrno>
#include <memory>

namespace sorvane {

namespace {

using platform::RecordFile;

void openFile(OpenedFile& opened, RecordFile::Sharing sharing)
{
    opened.file = RecordFile::open(opened.path, RecordFile::Access::ReadWrite,
                                   RecordFile::Missing::Create, opened.error, sharing);
}

void openJournal(OpenedFile& journal, RecordFile::Sharing sharing)
{
    openFile(journal, RecordHandles::journalSharing(sharing));
    if (!journal.error || platform::isRefusal(journal.error))
        return;
    // One this user may not write may still hold a record that must not be passed over.
    platform::SysError readError;
    journal.file = RecordFile::open(journal.path, RecordFile::Access::Read,
                                    RecordFile::Missing::Fail, readError);
}

} // namespace

// The three files' names in `folder`, none open yet.
RecordHandles named(const std::filesystem::path& folder, RecordHandles::Sharing sharing)
{
    RecordHandles h;
    h.sharing = sharing;
    constexpr RecordFileNames names = recordFileNames();
    h.score.path = folder / names.score;
    h.name.path = folder / names.name;
    h.journal.path = folder / names.journal;
    return h;
}

RecordHandles RecordHandles::open(const std::filesystem::path& folder, Sharing sharing)
{
    RecordHandles h = named(folder, sharing);
    h.refused = platform::locksStayHere(folder);
    if (!h.refused.empty()) {
        for (OpenedFile* f : {&h.score, &h.name, &h.journal})
            f->error = {platform::locksStayLocal};
        return h;
    }
    openFile(h.score, sharing);
    openFile(h.name, sharing);
    openJournal(h.journal, sharing);
    return h;
}

std::function<RecordHandles()> RecordHandles::openElsewhere(const std::filesystem::path& folder,
                                                            Sharing sharing)
{
    const auto opening = std::make_shared<platform::OpenedElsewhere>([folder, sharing] {
        RecordHandles h = open(folder, sharing);
        platform::HandedFiles handed{{}, h.refused};
        for (OpenedFile* f : {&h.score, &h.name, &h.journal})
            handed.files.push_back({f->file.release(), f->error.code});
        return handed;
    });
    return [opening, folder, sharing] {
        RecordHandles h = named(folder, sharing);
        platform::HandedFiles handed = opening->take();
        h.refused = handed.note;
        std::size_t i = 0;
        for (OpenedFile* f : {&h.score, &h.name, &h.journal}) {
            if (i < handed.files.size()) {
                const platform::Handed& got = handed.files[i++];
                if (got.handle >= 0)
                    f->file = platform::RecordFile::adopt(got.handle, f->path);
                f->error = {got.error};
            } else {
                f->error = {EIO};
            }
        }
        return h;
    };
}

void RecordHandles::reopenRemoved()
{
    for (OpenedFile* f : {&score, &name})
        if (f->file.isOpen() && f->file.removed())
            openFile(*f, sharing);
    if (journal.file.isOpen() && journal.file.removed())
        openJournal(journal, sharing);
}

OpenedFile& RecordHandles::lockFile()
{
    return journal.file.isOpen() ? journal : score;
}

RecordHandles::Sharing RecordHandles::journalSharing(Sharing sharing)
{
    return sharing == Sharing::Group ? Sharing::GroupOnly : sharing;
}

} // namespace sorvane
