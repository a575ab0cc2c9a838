#pragma once

#include "records/recordfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#define POSIX_ONLY(what)
#else
// File modes, FIFOs, signals and the like have no counterpart on Windows.
#define POSIX_ONLY(what) QSKIP("POSIX only: " what)
#endif

namespace sorvane::testing {

inline QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

inline std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

inline int modeOf(const QString& path)
{
    return int(std::filesystem::status(fsPath(path)).permissions() & std::filesystem::perms::all);
}

#ifdef Q_OS_UNIX
inline bool setMode(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}
#endif

// Both record files of `folder` written with these bytes, and read back as "SCORE|NAME", to be
// compared in one go.
inline void putRecord(const QString& folder, const QByteArray& score, const QByteArray& name)
{
    put(folder + QStringLiteral("/sorvane.txt"), score);
    put(folder + QStringLiteral("/nsorvane.txt"), name);
}
inline QByteArray recordIn(const QString& folder)
{
    return bytesOf(folder + QStringLiteral("/sorvane.txt")) + '|' +
           bytesOf(folder + QStringLiteral("/nsorvane.txt"));
}

// A record folder of each test's own: a test class calls renew() from its init(), and every
// test starts in a new folder with empty record files, as start-up leaves them on a new
// machine, whatever the tests before it left behind.
class RecordFolder
{
public:
    void renew()
    {
        dir.emplace();
        QVERIFY(dir->isValid());
        QVERIFY(!files().ensureExist());
    }

    QString path() const { return dir->path(); }
    QString filePath(const QString& name) const { return dir->filePath(name); }
    RecordFiles files() const { return RecordFiles(path() + u'/'); }

    void stored(const QByteArray& score, const QByteArray& name) const
    {
        putRecord(path(), score, name);
    }
    QByteArray record() const { return recordIn(path()); }

private:
    std::optional<QTemporaryDir> dir;
};

} // namespace sorvane::testing
