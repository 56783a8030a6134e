// The built-in payroll item names each class translates with Lang and unLang, in table order.
#pragma once

#include <span>
#include <string_view>

namespace messages {

struct ItemName {
    std::string_view builtIn;  // the stored Chinese name
    std::string_view id;       // the message identifier of its name in the user's language
};

// All fourteen rows (ISalaryItem).
std::span<const ItemName> SalaryItemNames();
// Rows 1 to 7 (ISalaryPerson).
std::span<const ItemName> SalaryPersonNames();

}  // namespace messages
