#include "app/vb_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/run_time_error.h"
#include "support/harness.h"

namespace {

// What a call gives: its result as text, or "error N" for a run-time failure.
std::string Outcome(const std::function<std::string()>& call) {
  try {
    return call();
  } catch (const platform::RunTimeError& failure) {
    return "error " + std::to_string(failure.number());
  }
}

TEST(VbText, TextFunctions) {
  using S = std::string;
  const std::pair<std::function<S()>, S> cases[] = {
      {[] { return S(std::to_string(vb::InStr("abcabc", "c"))); }, "3"},
      {[] { return S(std::to_string(vb::InStr(4, "abcabc", "c"))); }, "6"},
      {[] { return S(std::to_string(vb::InStr(7, "abcabc", "c"))); }, "0"},
      {[] { return S(std::to_string(vb::InStr(9, "abc", ""))); }, "0"},
      {[] { return S(std::to_string(vb::InStr(4, "abc", ""))); }, "4"},
      {[] { return S(std::to_string(vb::InStr(0, "abc", "a"))); }, "error 5"},
      {[] { return vb::Mid("abcdef", 2); }, "bcdef"},
      {[] { return vb::Mid("abcdef", 2, 3); }, "bcd"},
      {[] { return vb::Mid("abc", 3, 9); }, "c"},
      {[] { return vb::Mid("abc", 4); }, ""},
      {[] { return vb::Mid("abc", 1) + vb::Mid("abc", 5) + vb::Mid("abc", 5, 1); }, "abc"},
      {[] { return vb::Mid("abc", 4, 1); }, ""},
      {[] { return vb::Mid("abc", 0); }, "error 5"},
      {[] { return vb::Mid("abc", 1, -1); }, "error 5"},
      {[] { return vb::Left("abc", 2) + "|" + vb::Left("abc", 9); }, "ab|abc"},
      {[] { return vb::Right("abc", 2) + "|" + vb::Right("abc", 3) + "|" + vb::Right("abc", 0); },
       "bc|abc|"},
      {[] { return vb::Left("abc", -1); }, "error 5"},
      {[] { return vb::Right("abc", -1); }, "error 5"},
      {[] { return vb::LCase("AbZ@[") + vb::UCase("aBz`{"); }, "abz@[ABZ`{"},
      {[] { return "<" + vb::Trim("  a b \t") + ">" + vb::Trim("   "); }, "<a b \t>"},
      {[] { return vb::Replace("aXbxc", "x", "--"); }, "aXb--c"},
      {[] { return vb::Replace("aXbxc", "x", "--", true); }, "a--b--c"},
      {[] { return vb::Replace("aaa", "a", "aa"); }, "aaaaaa"},
      {[] { return vb::Replace("abab", "ab", ""); }, ""},
      {[] { return vb::Replace("abc", "", "x"); }, "abc"},
      {[] { return S(std::to_string(vb::Len("aé€"))); }, "3"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(Outcome(cases[i].first), cases[i].second) << "case " << i;
}

TEST(VbText, NumberConversions) {
  // Text to whole number, "text=outcome|...": surrounding blanks and a sign allowed, halves to
  // even, out of range an overflow (6), anything else a type mismatch (13).
  for (const auto& row : fake::Split(
           "12=12| 12 =12|\t7=7|+3=3|-3=-3|2.5=2|3.5=4|-2.5=-2|.5=0|1.=1|2147483647=2147483647|"
           "2147483648=error 6|-2147483649=error 6|1e400=error 6|=error 13|abc=error 13|"
           "1x=error 13|1,5=error 13")) {
    const auto equals = row.find('=');
    const std::string text = row.substr(0, equals);
    EXPECT_EQ(Outcome([&] { return std::to_string(vb::CLng(std::string_view(text))); }),
              row.substr(equals + 1))
        << '"' << text << '"';
  }

  const std::pair<double, const char*> numbers[] = {
      {0.5, "0"},
      {1.5, "2"},
      {-1.5, "-2"},
      {2147483647.4, "2147483647"},
      {2147483647.5, "error 6"},
      {-2147483648.5, "-2147483648"},
      {-2147483649.0, "error 6"},
  };
  for (const auto& [number, expected] : numbers)
    EXPECT_EQ(Outcome([&] { return std::to_string(vb::CLng(number)); }), expected) << number;

  const std::pair<double, const char*> shorts[] = {
      {32767, "32767"}, {-32768, "-32768"}, {32768, "error 6"}, {-32769, "error 6"}, {2.5, "2"},
  };
  for (const auto& [number, expected] : shorts)
    EXPECT_EQ(Outcome([&] { return std::to_string(vb::CInt(number)); }), expected) << number;
}

}  // namespace
