#pragma once

// The three record files, opened once for the whole run. Free of Qt: the game opens them at its
// very start, with the group it may be installed with, before any Qt object exists.

#include "platform/recordio.h"

#include <filesystem>
#include <functional>
#include <string>

namespace sorvane {

struct OpenedFile
{
    std::filesystem::path path;
    platform::RecordFile file;
    platform::SysError error; // why it is not open, or not open for writing
};

// The three record files' names in the record folder: the score, its holder's name, and the
// journal of a store under way.
struct RecordFileNames
{
    const char* score;
    const char* name;
    const char* journal;
};
constexpr RecordFileNames recordFileNames()
{
    return {"sorvane.txt", "nsorvane.txt", "sorvane.journal"};
}

struct RecordHandles
{
    using Sharing = platform::RecordFile::Sharing;

    OpenedFile score;
    OpenedFile name;
    // The journal, where it can be had: open for writing, or, where this user may not write
    // it, open for reading only with the reason in `error`, so that a record it holds is seen.
    OpenedFile journal;
    Sharing sharing = Sharing::EveryUser;
    // Why none was opened: the folder is on a share whose locks the other PCs would never see,
    // so that two of them could store at once (in Italian, UTF-8).
    std::string refused;

    // Opens the files in `folder`, creating each missing one empty (see Sharing).
    static RecordHandles open(const std::filesystem::path& folder, Sharing sharing);

    // The same, done now by a child process that keeps the rights the program was started
    // with (platform::OpenedElsewhere), while the program goes on and gives them up. The
    // function returned waits for the files and hands them over: called once, off the
    // window's thread.
    static std::function<RecordHandles()> openElsewhere(const std::filesystem::path& folder,
                                                        Sharing sharing);

    // Opens again, by its path, each file that was deleted while the game ran, so that a
    // record is never stored into a file that no longer has a name.
    void reopenRemoved();

    // The file whose lock guards all three against another copy of the game: the journal,
    // which no pupil can open where the game is installed with its group, so that no pupil
    // can take the lock and keep the class from the record; the score file where there is no
    // journal to be had.
    OpenedFile& lockFile();

    // The mode the journal is created or tightened with, for `sharing`.
    static Sharing journalSharing(Sharing sharing);
};

} // namespace sorvane
