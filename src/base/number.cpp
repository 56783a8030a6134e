#include "base/number.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "base/fault.h"

namespace base {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the longest prefix of `s` that spells a decimal number; 0 when there is none.
std::size_t NumberPrefix(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) ++j;
            i = j;
        }
    }
    return i;
}

// `s` is a complete decimal number as NumberPrefix found it.
// A number of at most 15 digits and no exponent, as an exact integer divided by an exact power of
// ten: one correctly rounded division gives the same double as the general reader, for a tenth
// of its cost. Request values are almost always of this form.
std::optional<double> ShortDecimal(std::string_view s) {
    constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    bool negative = !s.empty() && s.front() == '-';
    if (negative) s.remove_prefix(1);
    std::int64_t mantissa = 0;
    int digits = 0, fraction = -1;
    for (char c : s) {
        if (c == '.' && fraction < 0) {
            fraction = 0;
            continue;
        }
        if (!IsDigit(c) || ++digits > 15) return std::nullopt;
        mantissa = mantissa * 10 + (c - '0');
        if (fraction >= 0) ++fraction;
    }
    double value = static_cast<double>(mantissa) / kPowersOfTen[fraction < 0 ? 0 : fraction];
    return negative ? -value : value;
}

// The value of a complete decimal number; nullopt when it lies beyond the range of a double.
// Underflow reads as zero.
std::optional<double> ReadDecimal(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (std::optional<double> quick = ShortDecimal(s)) return *quick;
    double value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) {
        bool tiny = s.find_first_of("eE") != std::string_view::npos &&
                    s.find('-', s.find_first_of("eE")) != std::string_view::npos;
        if (tiny) return 0.0;
        return std::nullopt;
    }
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

double ParseDecimal(std::string_view s) {
    std::optional<double> value = ReadDecimal(s);
    if (!value) ThrowOverflow();
    return *value;
}

// `text` without the blanks at its ends.
std::string_view WithoutBlanks(std::string_view text) {
    std::size_t start = 0, end = text.size();
    while (start < end && IsBlank(text[start])) ++start;
    while (end > start && IsBlank(text[end - 1])) --end;
    return text.substr(start, end - start);
}

}  // namespace

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

double LeadingNumber(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    std::string_view rest = text.substr(start);
    std::size_t n = NumberPrefix(rest);
    return n == 0 ? 0.0 : ParseDecimal(rest.substr(0, n));
}

std::optional<double> WholeNumber(std::string_view text) {
    std::string_view core = WithoutBlanks(text);
    std::size_t n = NumberPrefix(core);
    if (n == 0 || n != core.size()) return std::nullopt;
    return ParseDecimal(core);
}

bool IsFiniteNumber(std::string_view text) {
    std::string_view core = WithoutBlanks(text);
    std::size_t n = NumberPrefix(core);
    return n != 0 && n == core.size() && ReadDecimal(core).has_value();
}

std::size_t SignificantDigits(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    std::string_view number = text.substr(start, NumberPrefix(text.substr(start)));
    std::size_t digits = 0;
    bool leading = true;
    for (char c : number) {
        if (c == 'e' || c == 'E') break;
        if (!IsDigit(c) || (leading && c == '0')) continue;
        leading = false;
        ++digits;
    }
    return digits;
}

double RoundToSignificantDigits(double value, int digits) {
    char shortest[64];
    auto [end, ec] = std::to_chars(shortest, shortest + sizeof shortest, value);
    int significant = 0;
    bool leading = true;
    for (char* p = shortest; p < end && *p != 'e' && *p != 'E'; ++p) {
        if (*p < '0' || *p > '9') continue;
        if (leading && *p == '0') continue;
        leading = false;
        ++significant;
    }
    if (significant <= digits) return value;
    char rounded[64];
    auto [last, error] =
        std::to_chars(rounded, rounded + sizeof rounded, value, std::chars_format::general, digits);
    double out = value;
    std::from_chars(rounded, last, out);
    return out;
}

std::string FormatNumber(double value) {
    if (value == 0) return "0";  // also folds -0
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, end);
}

std::int16_t ToInt16(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= -32768.0 && r <= 32767.0)) ThrowOverflow();
    return static_cast<std::int16_t>(r);
}

std::int32_t ToInt32(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) ThrowOverflow();
    return static_cast<std::int32_t>(r);
}

}  // namespace base
