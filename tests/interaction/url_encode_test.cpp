#include "interaction/url_encode.h"

#include <gtest/gtest.h>

namespace {

// Byte by byte: letters and digits stay, a space becomes "+", every other byte (UTF-8 ones
// too) "%" and two upper-case hex digits.
TEST(UrlEncode, EncodesEveryByteButLettersAndDigits) {
  EXPECT_EQ(UrlEncode(""), "");
  EXPECT_EQ(
      UrlEncode(std::string("AZaz09 a b/c.jpg\t\0\x0F\x10~-_.+%\x7F", 27) + "caf\xC3\xA9\xFF"),
      "AZaz09+a+b%2Fc%2Ejpg%09%00%0F%10%7E%2D%5F%2E%2B%25%7Fcaf%C3%A9%FF");
  EXPECT_EQ(UrlEncode("http://h/p?x=1&y=2"), "http%3A%2F%2Fh%2Fp%3Fx%3D1%26y%3D2");
}

}  // namespace
