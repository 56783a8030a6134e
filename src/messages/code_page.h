// The system's ANSI code page, as GenLen measures texts in it: on Windows the one the system
// uses (CP_ACP), elsewhere 936; WAGELINK_CODEPAGE names another on both.
#pragma once

#include <memory>

namespace messages {

// One conversion into the code page; used by one thread at a time.
class CodePage {
  public:
    // A fault when WAGELINK_CODEPAGE names a code page the system does not know.
    CodePage();
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    // Bytes of one BMP character in the code page: 2 for a character written with two bytes,
    // 1 for any other (one the code page cannot write included).
    int Measure(char16_t unit);

  private:
    struct Converter;
    std::unique_ptr<Converter> converter_;
};

}  // namespace messages
