// Reading the fields of a salary item record: texts as the IntegrationKit gives them, numbers as
// the leading number of their text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xml/document.h"

namespace salary_item {

// The record field's text; "" when absent.
std::string Field(xml::Element record, std::string_view name);

// A whole record number (year, month, an entry's type): the leading number of the text rounded
// half to even into 16 bits; 0 without one; an overflow fault beyond the 16-bit range.
std::int16_t RecordNumber(std::string_view text);

// True when `text` holds a calendar date in a form a database stores it: YYYY-MM-DD or
// YYYY/MM/DD (month and day of one or two digits), optionally followed by "T" or a blank and a
// time HH:MM[:SS[.fraction]]; or YYYY年M月D日.
bool IsDate(std::string_view text);

}  // namespace salary_item
