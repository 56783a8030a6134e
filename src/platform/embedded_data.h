// The data files built into the library (see cmake/Embed.cmake).
#pragma once

#include <string_view>

namespace wagelink::embedded {

std::string_view messages_zh_CN();
std::string_view messages_en_US();
std::string_view SalaryItemXmlRs();
std::string_view SalaryPersonXmlRs();

}  // namespace wagelink::embedded
