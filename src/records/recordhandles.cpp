#include "records/recordhandles.h"

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

RecordHandles RecordHandles::open(const std::filesystem::path& folder, Sharing sharing)
{
    RecordHandles h;
    h.sharing = sharing;
    constexpr RecordFileNames names = recordFileNames();
    h.score.path = folder / names.score;
    h.name.path = folder / names.name;
    h.journal.path = folder / names.journal;
    openFile(h.score, sharing);
    openFile(h.name, sharing);
    openJournal(h.journal, sharing);
    return h;
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
