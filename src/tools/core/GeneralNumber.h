#pragma once
// The calculator's numbers as text: the platform's general float format (FloatToStr of the
// original run-time, with a decimal comma) and the conversion back (StrToFloat).
#include <QString>

namespace generalnumber {

// Up to `precision` significant digits (1..15), no trailing zeros, decimal comma. Fixed form when
// the value has at most `precision` digits before the comma and is at least 0,0001 in size;
// otherwise the exponent form with "E", a minus sign only for a negative exponent and no leading
// zeros in it: 0,25 ; 123456789012345 ; 1E15 ; 4,42615029219009E-5 ; -1,5E20. Zero is "0".
// The text always reads back as a finite number: a rounding that would pass the largest double
// is cut instead of rounded. `value` must be finite.
QString format(double value, int precision = 15);

// The general format shortened to at most `width` characters by using fewer significant digits.
// A text that fits already is returned as format() writes it, every digit kept.
QString fitted(double value, int width = 16);

enum class Parse { Ok, NotANumber, Overflow };

// Reads a number written with a decimal comma: optional spaces, optional sign, digits with at
// most one comma (at least one digit in all), an optional exponent "E" or "e" with optional sign
// and at least one digit, optional spaces. "8," is 8 and ",5" is 0,5; "", ",", "1,2,3" and "1.5"
// are not numbers. A number beyond the double range is Overflow; one too small becomes 0 or a
// denormal, as the platform does.
Parse parse(const QString& text, double& value);

} // namespace generalnumber
