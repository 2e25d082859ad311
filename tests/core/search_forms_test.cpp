#include "core/search_forms.h"

#include <gtest/gtest.h>

namespace {

// The gateway's side: which form a requested path is, whatever its case and one trailing '/'.
TEST(FindSearchForm, MatchesAFormsPathWithoutCaseOrTrailingSlash) {
  struct Row {
    const char* name;
    std::string_view path;
    std::string_view form;  // empty: no form
  };
  const Row rows[] = {
      {.name = "as asked", .path = "/images", .form = "/images"},
      {.name = "upper case", .path = "/IMAGES", .form = "/images"},
      {.name = "trailing slash", .path = "/search/", .form = "/search"},
      {.name = "two levels, mixed case", .path = "/Search/Images/", .form = "/search/images"},
      {.name = "below a form", .path = "/images/x", .form = ""},
      {.name = "longer name", .path = "/imagesx", .form = ""},
      {.name = "shorter name", .path = "/image", .form = ""},
      {.name = "two trailing slashes", .path = "/search//", .form = ""},
      {.name = "root", .path = "/", .form = ""},
      {.name = "empty", .path = "", .form = ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const SearchForm* found = FindSearchForm(r.path);
    EXPECT_EQ(found ? found->path : std::string_view(), r.form);
  }
}

}  // namespace
