#pragma once
// Numbers of the chart's readouts (circuit data, measuring): always four
// significant digits, rounded first and only then given their SI prefix, so
// that 999.96 ns reads "1.000 usec" and never "1000.0 nsec". The numeric
// label's own engineering display picks its prefix before rounding and stays so.
#include <QString>

// value with 4 significant digits and an SI prefix in front of the unit
// ("1.073 MHz", "932.5 nsec"; a reciprocal unit takes the prefix on the number:
// "235.0k 1/s"); "∞" for an infinite value, "-" for no number. Beyond the
// prefixes (a … T) the number is written with an exponent ("1.000E15 Hz").
QString QuantityText(double value, const QString& unit);

// A plain number of 4 significant digits: "1.000", "14.34", "0.3162", and
// from 10,000 on or below 0.001 with an exponent ("7.071E4", "1.234E-4").
QString PlainNumberText(double value);

// A frequency in Hz with its prefix ("1.072 MHz"), "-" for no finite number.
QString FrequencyText(double hertz);
