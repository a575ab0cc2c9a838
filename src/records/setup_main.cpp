// sorvane-records FOLDER: makes the machine's record files in FOLDER, each empty and writable
// by every user where it is missing; existing files are never changed. Run by the installers
// as an administrator, since pupils may not create files in the record folder.

#include "records/recordfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "Uso: sorvane-records CARTELLA\n";
        return 2;
    }
    const QString folder = args.at(1);
    if (!QDir().mkpath(folder)) {
        err << "Impossibile creare la cartella " << QDir::toNativeSeparators(folder) << '\n';
        return 1;
    }
    const sorvane::RecordFiles files(folder);
    if (const auto error = files.ensureExist(sorvane::RecordFiles::Journal::Required)) {
        err << error->message() << '\n';
        return 1;
    }
    return 0;
}
