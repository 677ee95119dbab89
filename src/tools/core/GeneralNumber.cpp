#include "tools/core/GeneralNumber.h"

#include <QByteArray>
#include <charconv>
#include <cmath>

namespace generalnumber {

namespace {

// The decimal digits of |value| rounded (or cut) to `precision` significant digits, trailing
// zeros removed, and the exponent such that |value| ~ 0.DIGITS x 10^exponent (the original
// run-time's FloatRec convention: 1234 has exponent 4, 0.05 has exponent -1).
struct Decimal {
    QByteArray digits;
    int exponent = 0;
};

Decimal decimalOf(double magnitude, int precision, bool cut)
{
    Decimal d;
    // Scientific form with asked-1 digits after the point: one digit, the point, the digits, "e",
    // the exponent; correctly rounded, and free of the C locale's decimal point. Cutting asks for
    // more digits and drops them, which never rounds up.
    const int asked = cut ? 25 : precision;
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, asked - 1);
    const QByteArray text(buffer, written.ptr - buffer);
    const qsizetype e = text.indexOf('e');
    QByteArray mantissa = text.left(e);
    mantissa.remove(1, 1); // the point (present whenever asked > 1)
    if (mantissa.size() > precision)
        mantissa.truncate(precision);
    while (mantissa.size() > 1 && mantissa.endsWith('0'))
        mantissa.chop(1);
    d.digits = mantissa;
    d.exponent = text.mid(e + 1).toInt() + 1;
    return d;
}

QString render(bool negative, const Decimal& d, int precision)
{
    QString out;
    if (negative)
        out += QLatin1Char('-');
    const QString digits = QString::fromLatin1(d.digits);
    if (d.exponent > precision || d.exponent < -3) {
        out += digits.at(0);
        if (digits.size() > 1)
            out += QLatin1Char(',') + digits.mid(1);
        out += QLatin1Char('E') + QString::number(d.exponent - 1);
        return out;
    }
    if (d.exponent <= 0) {
        out += QStringLiteral("0,") + QString(-d.exponent, QLatin1Char('0')) + digits;
        return out;
    }
    if (digits.size() <= d.exponent) {
        out += digits + QString(d.exponent - digits.size(), QLatin1Char('0'));
        return out;
    }
    out += digits.left(d.exponent) + QLatin1Char(',') + digits.mid(d.exponent);
    return out;
}

// Roughly log10 of the C-locale number `c` (sign, digits, ".", digits, "e", exponent): the
// position of its first significant digit relative to the point. Only its sign matters.
long long decimalMagnitude(const QByteArray& c)
{
    const qsizetype e = c.indexOf('e');
    const QByteArray mantissa = e < 0 ? c : c.left(e);
    long long exponent = 0;
    if (e >= 0) {
        const QByteArray digits = c.mid(e + 1);
        // Clamp absurd exponents; only the sign of the sum matters.
        bool ok = false;
        exponent = digits.toLongLong(&ok);
        if (!ok)
            exponent = digits.startsWith('-') ? -1000000000LL : 1000000000LL;
    }
    long long position = 0; // digits before the point, counting from the first non-zero digit
    bool seenPoint = false, seenSignificant = false;
    long long leadingZerosAfterPoint = 0;
    for (const char ch : mantissa) {
        if (ch == '.') {
            seenPoint = true;
        } else if (ch >= '0' && ch <= '9') {
            if (ch != '0')
                seenSignificant = true;
            if (!seenPoint && seenSignificant)
                ++position;
            else if (seenPoint && !seenSignificant)
                ++leadingZerosAfterPoint;
        }
    }
    if (!seenSignificant)
        return -1000000000LL; // zero
    return (position > 0 ? position : -leadingZerosAfterPoint) + exponent;
}

} // namespace

QString format(double value, int precision)
{
    if (precision < 1)
        precision = 1;
    if (precision > 15)
        precision = 15;
    if (value == 0.0)
        return QStringLiteral("0");
    const bool negative = value < 0;
    const double magnitude = std::fabs(value);
    QString text = render(negative, decimalOf(magnitude, precision, false), precision);
    double back = 0;
    if (parse(text, back) != Parse::Ok)
        text = render(negative, decimalOf(magnitude, precision, true), precision);
    return text;
}

QString fitted(double value, int width)
{
    QString text = format(value, 15);
    for (int precision = 14; text.size() > width && precision >= 1; --precision)
        text = format(value, precision);
    return text;
}

Parse parse(const QString& text, double& value)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isDigit = [&](qsizetype k) { return k < n && text.at(k) >= QLatin1Char('0') && text.at(k) <= QLatin1Char('9'); };
    QByteArray c; // the same number in the C locale, for from_chars
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        c += char(text.at(i++).unicode());
    int mantissaDigits = 0;
    while (isDigit(i)) {
        c += char(text.at(i++).unicode());
        ++mantissaDigits;
    }
    if (i < n && text.at(i) == QLatin1Char(',')) {
        c += '.';
        ++i;
        while (isDigit(i)) {
            c += char(text.at(i++).unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return Parse::NotANumber;
    if (i < n && (text.at(i) == QLatin1Char('E') || text.at(i) == QLatin1Char('e'))) {
        c += 'e';
        ++i;
        if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
            c += char(text.at(i++).unicode());
        if (!isDigit(i))
            return Parse::NotANumber;
        while (isDigit(i))
            c += char(text.at(i++).unicode());
    }
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    if (i != n)
        return Parse::NotANumber;
    double v = 0;
    const char* first = c.constData() + (c.startsWith('+') ? 1 : 0); // from_chars takes no "+"
    const auto read = std::from_chars(first, c.constData() + c.size(), v);
    if (read.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: tell them apart by the size of the decimal number.
        if (decimalMagnitude(c) > 0)
            return Parse::Overflow;
        v = c.startsWith('-') ? -0.0 : 0.0; // the platform masks underflow
    } else if (read.ec != std::errc()) {
        return Parse::NotANumber;
    }
    if (std::isinf(v))
        return Parse::Overflow;
    value = v;
    return Parse::Ok;
}

} // namespace generalnumber
