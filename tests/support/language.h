// Sets WAGELINK_LANG for the objects created while it lives (they read it at their first message
// or Transact), and puts the caller's setting back.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace testing_support {

class Language {
  public:
    explicit Language(const char* language) {
        if (const char* now = std::getenv("WAGELINK_LANG")) saved_ = now;
        setenv("WAGELINK_LANG", language, 1);
    }
    ~Language() {
        if (saved_) {
            setenv("WAGELINK_LANG", saved_->c_str(), 1);
        } else {
            unsetenv("WAGELINK_LANG");
        }
    }
    Language(const Language&) = delete;
    Language& operator=(const Language&) = delete;

  private:
    std::optional<std::string> saved_;
};

}  // namespace testing_support
