// Runs a scope under another locale, the C library's and the C++ global one alike.
#pragma once

#include <clocale>
#include <locale>
#include <string>

namespace fake {

class ScopedLocale {
 public:
  // Throws when the locale is not installed: a test meant for it must not pass without it.
  explicit ScopedLocale(const char* name) : cxx_(std::locale::global(std::locale(name))) {
    std::setlocale(LC_ALL, name);
  }
  ~ScopedLocale() {
    std::locale::global(cxx_);
    std::setlocale(LC_ALL, c_.c_str());
  }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

 private:
  std::string c_ = std::setlocale(LC_ALL, nullptr);  // read before the switch
  std::locale cxx_;
};

// The locales number reading must not depend on: the classic one and a decimal-comma one.
inline constexpr const char* kNumberLocales[] = {"C", "de_DE.UTF-8"};

}  // namespace fake
