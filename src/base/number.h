// Number reading and writing shared by every layer, with the semantics the server's callers
// expect of it (the VB runtime's): banker's rounding, the leading-number reading of record fields,
// and the shortest decimal text that reads back to the same double.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace base {

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double value);

// The numeric value of the leading number of `text`: leading blanks skipped, optional sign,
// digits, decimal point, exponent; 0 when the text does not begin with a number. A value beyond
// the range of a double is an overflow fault.
double LeadingNumber(std::string_view text);

// The value of `text` when all of it (blanks around allowed) is one number; nullopt otherwise.
[[nodiscard]] std::optional<double> WholeNumber(std::string_view text);

// Whether all of `text` (blanks around allowed) is one decimal number (an optional sign, digits
// with an optional point, an optional exponent) whose value a double holds: never a fault.
bool IsFiniteNumber(std::string_view text);

// Whole numbers in decimal, others as the shortest text that reads back to the same value.
std::string FormatNumber(double value);

// The significant digits of the leading number of `text` (an upper bound: trailing zeros of the
// fraction count too); 0 when the text does not begin with a number.
std::size_t SignificantDigits(std::string_view text);

// `value` rounded to at most `digits` significant decimal digits (unchanged when it has fewer).
double RoundToSignificantDigits(double value, int digits);

// Whole number conversions with range checks (overflow fault beyond the range).
std::int16_t ToInt16(double value);
std::int32_t ToInt32(double value);

}  // namespace base
