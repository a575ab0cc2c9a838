#include "game/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace sorvane {

namespace {

bool isIgnored(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Roughly the power of ten of a well-formed number text ("123" 3, "0.001" -2, "1e5" 6), held
// within a few billions; only its sign matters, to tell an overflow from an underflow.
long long decimalMagnitude(const std::string& number)
{
    long long magnitude = 0;
    bool seenNonZero = false;
    bool inFraction = false;
    std::size_t i = 0;
    for (; i < number.size() && number[i] != 'e'; ++i) {
        const char c = number[i];
        if (c == '.') {
            inFraction = true;
        } else if (c >= '0' && c <= '9' && !seenNonZero) {
            if (c != '0')
                seenNonZero = true;
            if (c != '0' && !inFraction)
                ++magnitude;
            else if (c == '0' && inFraction)
                --magnitude;
        } else if (c >= '0' && c <= '9' && !inFraction) {
            ++magnitude;
        }
    }
    if (i < number.size()) {
        long long exponent = 0;
        bool negative = false;
        for (++i; i < number.size(); ++i) {
            if (number[i] == '-')
                negative = true;
            else if (number[i] >= '0' && number[i] <= '9' && exponent < 1'000'000'000)
                exponent = exponent * 10 + (number[i] - '0');
        }
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude;
}

} // namespace

double leadingNumber(QStringView text)
{
    // Collect the longest prefix (ignored characters dropped) that forms a number.
    std::string number;
    bool mantissaDigits = false;
    enum class Stage
    {
        Sign,
        Integer,
        Fraction,
        ExponentSign,
        Exponent
    } stage = Stage::Sign;
    std::size_t beforeExponent = 0;
    bool exponentDigits = false;

    for (QChar c : text) {
        if (isIgnored(c))
            continue;
        bool taken = true;
        switch (stage) {
        case Stage::Sign:
            if (c == u'+' || c == u'-') {
                if (c == u'-')
                    number += '-';
                stage = Stage::Integer;
                break;
            }
            stage = Stage::Integer;
            [[fallthrough]];
        case Stage::Integer:
        case Stage::Fraction: // the same, but for the one decimal point
            if (isDigit(c)) {
                number += char(c.unicode());
                mantissaDigits = true;
            } else if (c == u'.' && stage == Stage::Integer) {
                number += '.';
                stage = Stage::Fraction;
            } else if ((c == u'e' || c == u'E') && mantissaDigits) {
                beforeExponent = number.size();
                number += 'e';
                stage = Stage::ExponentSign;
            } else {
                taken = false;
            }
            break;
        case Stage::ExponentSign:
            if (c == u'+' || c == u'-') {
                number += char(c.unicode());
                stage = Stage::Exponent;
                break;
            }
            stage = Stage::Exponent;
            [[fallthrough]];
        case Stage::Exponent:
            if (isDigit(c)) {
                number += char(c.unicode());
                exponentDigits = true;
            } else {
                taken = false;
            }
            break;
        }
        if (!taken)
            break;
    }

    if (!mantissaDigits)
        return 0.0;
    if ((stage == Stage::ExponentSign || stage == Stage::Exponent) && !exponentDigits)
        number.resize(beforeExponent); // "12e" or "12e+" reads as 12

    double value = 0.0;
    const char* first = number.data();
    const char* last = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    Q_UNUSED(ptr);
    if (ec == std::errc::result_out_of_range) {
        // Too large for a double gives infinity, too small gives zero, with the sign kept.
        const double magnitude =
            decimalMagnitude(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return number.front() == '-' ? -magnitude : magnitude;
    }
    if (ec != std::errc())
        return 0.0;
    return value;
}

qint16 toInt16(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 32767.0)
        return 32767;
    if (value <= -32768.0)
        return -32768;
    return static_cast<qint16>(std::nearbyint(value)); // round to nearest, halves to even
}

qint16 addInt16(qint16 a, double b)
{
    return toInt16(static_cast<double>(a) + b);
}

QString decimalText(qint64 value)
{
    return QString::number(value);
}

} // namespace sorvane
