#include "interaction/url_encode.h"

#include <gtest/gtest.h>

namespace {

TEST(UrlEncode, EncodesEveryByteButLettersAndDigits) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"abc", "abc"},
      {"AZaz09", "AZaz09"},
      {"a b/c.jpg", "a+b%2Fc%2Ejpg"},
      {"\t", "%09"},
      {std::string(1, '\0'), "%00"},
      {"\x0F\x10", "%0F%10"},
      {"~-_.", "%7E%2D%5F%2E"},
      {"http://h/p?x=1&y=2", "http%3A%2F%2Fh%2Fp%3Fx%3D1%26y%3D2"},
      {"+%", "%2B%25"},
      {"\x7F", "%7F"},
      {"caf\xC3\xA9", "caf%C3%A9"},  // UTF-8 bytes, upper-case hex
      {"\xFF", "%FF"},
  };
  for (const auto& [text, encoded] : cases) EXPECT_EQ(UrlEncode(text), encoded) << text;
}

}  // namespace
