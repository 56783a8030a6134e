#include "salary_item/record_fields.h"

#include <cstdio>

#include "base/number.h"
#include "platform/integration_kit.h"

namespace salary_item {

std::string Field(xml::Element record, std::string_view name) {
    return platform::SharedIntegrationKit().GetFieldValue(record, name);
}

std::int16_t RecordNumber(std::string_view text) {
    return base::ToInt16(base::LeadingNumber(text));
}

bool IsDate(std::string_view text) {
    int year = 0, month = 0, day = 0;
    char sep1 = 0, sep2 = 0;
    int consumed = 0;
    std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d%c%2d%c%2d%n", &year, &sep1, &month, &sep2, &day,
                    &consumed) != 5)
        return false;
    if (sep1 != sep2 || (sep1 != '-' && sep1 != '/')) return false;
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && day == 29 && !leap) return false;
    std::string_view rest = text.substr(static_cast<std::size_t>(consumed));
    if (rest.empty()) return true;
    int hour = 0, minute = 0, second = 0;
    return rest[0] == ' ' &&
           std::sscanf(std::string(rest).c_str(), " %2d:%2d:%2d", &hour, &minute, &second) == 3 &&
           hour < 24 && minute < 60 && second < 60;
}

}  // namespace salary_item
