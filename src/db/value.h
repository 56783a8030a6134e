// A database value: Null, a whole number, a double or a text (UTF-8).
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace db {

using Null = std::monostate;
using Value = std::variant<Null, std::int64_t, double, std::string>;

inline bool IsNull(const Value& v) {
    return std::holds_alternative<Null>(v);
}

// The text form used everywhere values leave the database: integers in decimal, other numbers
// as the shortest text that reads back to the same value, texts as stored; Null gives "".
std::string ValueText(const Value& v);

// The numeric value; a text that is not wholly a number is a type-mismatch fault, Null is 94.
double ValueNumber(const Value& v);

}  // namespace db
