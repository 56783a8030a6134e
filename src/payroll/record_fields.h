// Reading the fields of a payroll record (salaryitem or salaryperson): texts as the
// IntegrationKit gives them, numbers as the leading number of their text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/lookup.h"
#include "xml/document.h"

namespace payroll {

// The record field's text; "" when absent.
std::string Field(xml::Element record, std::string_view name);

// A whole record number (year, month, an entry's type): the leading number of the text rounded
// half to even into 16 bits; 0 without one; an overflow fault beyond the 16-bit range.
std::int16_t RecordNumber(std::string_view text);

// The record's payroll number: `salarygradeno`, or when it is empty the number of the payroll
// named by `salarygradename` (the empty text when there is none).
std::string PayrollNumberOf(db::Connection& connection, db::LookupCache& lookups,
                            xml::Element record);

// True when `text` holds a calendar date in a form a database stores it: YYYY-MM-DD or
// YYYY/MM/DD (month and day of one or two digits), optionally followed by "T" or a blank and a
// time HH:MM[:SS[.fraction]]; or YYYY年M月D日.
bool IsDate(std::string_view text);

}  // namespace payroll
