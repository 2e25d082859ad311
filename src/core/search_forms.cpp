#include "core/search_forms.h"

#include <algorithm>

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool samePath(std::string_view asked, std::string_view form) {
  return std::ranges::equal(asked, form, [](char a, char b) { return lower(a) == b; });
}

}  // namespace

std::string SearchAddress(const SearchForm& form, std::string_view host, std::string_view phrase) {
  std::string address = "http://";
  for (std::string_view part : {host, form.path, std::string_view("?"), form.leading,
                                form.phraseName, std::string_view("="), phrase, form.trailing})
    address += part;
  return address;
}

const SearchForm* FindSearchForm(std::string_view path) {
  if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const auto found = std::ranges::find_if(
      kSearchForms, [path](const SearchForm& form) { return samePath(path, form.path); });
  return found == kSearchForms.end() ? nullptr : &*found;
}
