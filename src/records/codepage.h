#pragma once

#include <QByteArray>
#include <QString>

namespace sorvane {

// The record files hold text in the single-byte Windows-1252 code page on every platform,
// so that they move between machines unchanged.

// A character the code page cannot hold is written as '?'.
QByteArray toWindows1252(const QString& text);

// Every byte gives one character; the five bytes the code page leaves undefined give the
// control character of the same number.
QString fromWindows1252(const QByteArray& bytes);

} // namespace sorvane
