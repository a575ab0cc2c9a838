// Writes the Windows icon file of the game (resources/icons/sorvane.ico) from the window's
// picture as the game draws it, at the sizes Windows asks for. Each size is stored as a PNG
// image, which Windows reads from Vista on.
//
//   sorvane-makeico <file.ico>

#include "app/icons.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QtEndian>

#include <cstdio>

namespace {

void put16(QByteArray& out, quint16 v)
{
    const quint16 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void put32(QByteArray& out, quint32 v)
{
    const quint32 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: sorvane-makeico <file.ico>\n", stderr);
        return 2;
    }
    const int sizes[] = {16, 24, 32, 48, 64, 256};
    constexpr int count = int(std::size(sizes));

    QList<QByteArray> images;
    for (const int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!sorvane::icons::windowImage(size).save(&buffer, "PNG"))
            return 1;
        images.append(png);
    }

    // The icon directory, one entry per image, then the images.
    QByteArray ico;
    put16(ico, 0); // reserved
    put16(ico, 1); // an icon, not a cursor
    put16(ico, count);
    quint32 offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        ico.append(char(sizes[i] == 256 ? 0 : sizes[i])); // 0 stands for 256
        ico.append(char(sizes[i] == 256 ? 0 : sizes[i]));
        ico.append(char(0)); // no palette
        ico.append(char(0));
        put16(ico, 1);  // colour planes
        put16(ico, 32); // bits per pixel
        put32(ico, quint32(images[i].size()));
        put32(ico, offset);
        offset += quint32(images[i].size());
    }
    for (const QByteArray& png : images)
        ico.append(png);

    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(ico) != ico.size()) {
        std::fprintf(stderr, "sorvane-makeico: %s\n", qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
