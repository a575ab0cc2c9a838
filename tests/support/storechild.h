#pragma once

#include "records/recordfiles.h"

#include <QProcess>
#include <QTest>

#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace sorvane::testing {

// Another copy of the game's record storing, in a process of its own (storechild), asked by
// name what to do; start() turns it into the helper's command line.
struct StoreChild
{
    enum class Does
    {
        Store,
        Hold,
        Read
    };
    Does does = Does::Store;
    QString folder{};
    QString score{}, name{};                   // the record it stores
    std::optional<RecordFiles::Step> stopAt{}; // where it stops itself in its store, if anywhere
    std::optional<int> signal{};               // with this signal; none: killed outright
    int holdMs = 0;                            // how long it holds the lock
    int slowMs = 0;       // how long a store holds the lock before it writes (a loaded machine)
    bool asPupil = false; // as a pupil, not the owner of the folder, when the tests run as root

    QStringList arguments() const
    {
        if (does == Does::Hold)
            return {"hold", folder, QString::number(holdMs)};
        if (does == Does::Read)
            return {"read", folder};
        QStringList store{"store",
                          folder,
                          score,
                          name,
                          QString::number(stopAt ? int(*stopAt) : -1),
                          signal ? QString::number(*signal) : "kill"};
        if (slowMs > 0)
            store << QString::number(slowMs);
        return store;
    }

    void start(QProcess& child) const
    {
#ifdef Q_OS_UNIX
        if (asPupil && ::geteuid() == 0) {
            child.setChildProcessModifier([] {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                    ::_exit(120);
            });
        }
#endif
        child.start(QStringLiteral(STORECHILD), arguments());
    }

    // Runs it to its end; its exit code.
    int run(QProcess& child) const
    {
        start(child);
        return child.waitForFinished(20000) ? child.exitCode() : -1;
    }
};

// Another copy of the game holding the record files' lock for `ms` milliseconds; returns once
// it has it.
inline void holdLock(QProcess& other, const QString& folder, int ms)
{
    StoreChild{.does = StoreChild::Does::Hold, .folder = folder, .holdMs = ms}.start(other);
    QVERIFY(other.waitForReadyRead(10000));
    QCOMPARE(other.readAll().trimmed(), QByteArray("held"));
}

} // namespace sorvane::testing
