// The part of the record files' operations that is the same on every system.

#include "platform/recordio.h"
#include "platform/recordio_system.h"

#include <array>
#include <utility>

namespace sorvane::platform {

namespace {

// Our own refusals, as a pupil should read them.
constexpr std::array ownReasons{
    Reason{notRegularFile, "non è un file normale (è una cartella, una pipe o un dispositivo)"},
    Reason{linkedFile, "è un collegamento a un altro file, e il gioco non lo usa"},
    Reason{fileTooLarge, "il file è troppo grande"},
    Reason{lockHeld, "il file è in uso da un'altra copia del gioco da troppo tempo"},
    Reason{locksStayLocal, "la cartella è su una condivisione i cui blocchi restano su questo PC"},
};

} // namespace

std::string reason(SysError error)
{
    for (const auto& table : {std::span<const Reason>(ownReasons), systemReasons()}) {
        for (const Reason& r : table) {
            if (r.code == error.code)
                return r.text;
        }
    }
    // Never the C library's or the system's own text, which may be in another language.
    return "errore di sistema numero " + std::to_string(error.code);
}

RecordFile::RecordFile(RecordFile&& other) noexcept
    : handle_(other.handle_), path_(std::move(other.path_))
{
    other.handle_ = -1;
}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = other.handle_;
        path_ = std::move(other.path_);
        other.handle_ = -1;
    }
    return *this;
}

std::intptr_t RecordFile::release()
{
    return std::exchange(handle_, -1);
}

RecordFile RecordFile::adopt(std::intptr_t handle, std::filesystem::path path)
{
    RecordFile file;
    file.handle_ = handle;
    file.path_ = std::move(path);
    return file;
}

RecordFile::~RecordFile()
{
    close();
}

} // namespace sorvane::platform
