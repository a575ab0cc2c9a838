#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace sorvane {

// The numeric value of the number a text starts with. Blanks, tabs and line feeds are
// ignored wherever they stand; reading stops at the first character that cannot continue a
// decimal number (optional sign, digits, decimal point, exponent). A text that does not start
// with a number gives 0. Never fails: an exponent too large for a double gives infinity.
double leadingNumber(QStringView text);

// Converts to a 16-bit signed integer: rounded to the nearest whole number, halves to the
// even neighbour, and held at the limits of the type instead of overflowing (NaN gives 0).
qint16 toInt16(double value);

// a + b held within the 16-bit range.
qint16 addInt16(qint16 a, double b);

// Plain decimal digits, a minus sign only for a negative value, never a leading blank.
QString decimalText(qint64 value);

} // namespace sorvane
