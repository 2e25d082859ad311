#include "core/vb_text.h"

#include <gtest/gtest.h>

#include <concepts>
#include <functional>
#include <ostream>
#include <string>

#include "platform/run_time_error.h"
#include "support/scoped_locale.h"

namespace {

// A run-time failure a call is expected to raise, by its number.
struct Failure {
  int number;
};
constexpr Failure kInvalidCall{5}, kOverflow{6}, kTypeMismatch{13};

// What a call gave: its value, or the number of the run-time failure it raised instead.
template <class T>
struct Outcome {
  T value{};
  int failure = 0;
  Outcome(Failure f) : failure(f.number) {}
  template <class U>
  requires std::convertible_to<U, T> Outcome(U v) : value(v) {}
  bool operator==(const Outcome&) const = default;
};

template <class T>
std::ostream& operator<<(std::ostream& out, const Outcome<T>& o) {
  if (o.failure != 0) return out << "failure " << o.failure;
  return out << '"' << o.value << '"';
}

template <class T>
Outcome<T> Attempt(const std::function<T()>& call) {
  try {
    return call();
  } catch (const platform::RunTimeError& failure) {
    return Failure{failure.number()};
  }
}

template <class T>
struct Row {
  const char* name;
  std::function<T()> call;
  Outcome<T> gives;
};

template <class T, std::size_t N>
void ExpectRows(const Row<T> (&rows)[N]) {
  for (const Row<T>& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Attempt(r.call), r.gives);
  }
}

TEST(VbText, PositionsAndLengths) {
  const Row<std::int64_t> rows[] = {
      {.name = "the first match", .call = [] { return vb::InStr("abcabc", "c"); }, .gives = 3},
      {.name = "from a start", .call = [] { return vb::InStr(4, "abcabc", "c"); }, .gives = 6},
      {.name = "start past the end",
       .call = [] { return vb::InStr(7, "abcabc", "c"); },
       .gives = 0},
      {.name = "empty, past end + 1", .call = [] { return vb::InStr(9, "abc", ""); }, .gives = 0},
      {.name = "empty, at end + 1", .call = [] { return vb::InStr(4, "abc", ""); }, .gives = 4},
      {.name = "start 0", .call = [] { return vb::InStr(0, "abc", "a"); }, .gives = kInvalidCall},
      {.name = "Len: characters",
       .call = [] { return vb::Len("a\xC3\xA9\xE2\x82\xAC"); },
       .gives = 3},
  };
  ExpectRows(rows);
}

TEST(VbText, PiecesCaseBlanksAndReplacing) {
  using S = std::string;
  const Row<S> rows[] = {
      {.name = "Mid to the end", .call = [] { return vb::Mid("abcdef", 2); }, .gives = "bcdef"},
      {.name = "Mid of a length", .call = [] { return vb::Mid("abcdef", 2, 3); }, .gives = "bcd"},
      {.name = "Mid cut at the end", .call = [] { return vb::Mid("abc", 3, 9); }, .gives = "c"},
      {.name = "Mid just past the end", .call = [] { return vb::Mid("abc", 4); }, .gives = ""},
      {.name = "Mid further past", .call = [] { return vb::Mid("abc", 5); }, .gives = ""},
      {.name = "Mid of a length past", .call = [] { return vb::Mid("abc", 4, 1); }, .gives = ""},
      {.name = "Mid of no length", .call = [] { return vb::Mid("abc", 1, 0); }, .gives = ""},
      {.name = "Mid from 0", .call = [] { return vb::Mid("abc", 0); }, .gives = kInvalidCall},
      {.name = "Mid length -1",
       .call = [] { return vb::Mid("abc", 1, -1); },
       .gives = kInvalidCall},
      {.name = "Left", .call = [] { return vb::Left("abc", 2); }, .gives = "ab"},
      {.name = "Left beyond", .call = [] { return vb::Left("abc", 9); }, .gives = "abc"},
      {.name = "Left -1", .call = [] { return vb::Left("abc", -1); }, .gives = kInvalidCall},
      {.name = "Right", .call = [] { return vb::Right("abc", 2); }, .gives = "bc"},
      {.name = "Right of all", .call = [] { return vb::Right("abc", 3); }, .gives = "abc"},
      {.name = "Right of none", .call = [] { return vb::Right("abc", 0); }, .gives = ""},
      {.name = "Right -1", .call = [] { return vb::Right("abc", -1); }, .gives = kInvalidCall},
      {.name = "LCase: letters only", .call = [] { return vb::LCase("AbZ@["); }, .gives = "abz@["},
      {.name = "UCase: letters only", .call = [] { return vb::UCase("aBz`{"); }, .gives = "ABZ`{"},
      {.name = "Trim: spaces only", .call = [] { return vb::Trim("  a b \t"); }, .gives = "a b \t"},
      {.name = "Trim of blanks", .call = [] { return vb::Trim("   "); }, .gives = ""},
      {.name = "Replace: exact case",
       .call = [] { return vb::Replace("aXbxc", "x", "--"); },
       .gives = "aXb--c"},
      {.name = "Replace: any case",
       .call = [] { return vb::Replace("aXbxc", "x", "--", true); },
       .gives = "a--b--c"},
      {.name = "Replace: no rescan",
       .call = [] { return vb::Replace("aaa", "a", "aa"); },
       .gives = "aaaaaa"},
      {.name = "Replace by nothing",
       .call = [] { return vb::Replace("abab", "ab", ""); },
       .gives = ""},
      {.name = "Replace nothing",
       .call = [] { return vb::Replace("abc", "", "x"); },
       .gives = "abc"},
  };
  ExpectRows(rows);
}

// Text to whole number: surrounding blanks and a sign allowed, halves to even, out of range an
// overflow, anything else a type mismatch. A point is the decimal mark whatever the locale says.
TEST(VbText, TextToWholeNumberInEveryLocale) {
  const struct {
    const char* name;
    std::string text;
    Outcome<std::int32_t> gives;
  } rows[] = {
      {.name = "plain", .text = "12", .gives = 12},
      {.name = "spaces around", .text = " 12 ", .gives = 12},
      {.name = "a tab before", .text = "\t7", .gives = 7},
      {.name = "a plus", .text = "+3", .gives = 3},
      {.name = "a minus", .text = "-3", .gives = -3},
      {.name = "a half down to even", .text = "2.5", .gives = 2},
      {.name = "a half up to even", .text = "3.5", .gives = 4},
      {.name = "a negative half", .text = "-2.5", .gives = -2},
      {.name = "no whole part", .text = ".5", .gives = 0},
      {.name = "no fraction digits", .text = "1.", .gives = 1},
      {.name = "the largest", .text = "2147483647", .gives = 2147483647},
      {.name = "one above", .text = "2147483648", .gives = kOverflow},
      {.name = "one below the smallest", .text = "-2147483649", .gives = kOverflow},
      {.name = "beyond a double", .text = "1e400", .gives = kOverflow},
      {.name = "empty", .text = "", .gives = kTypeMismatch},
      {.name = "letters", .text = "abc", .gives = kTypeMismatch},
      {.name = "a letter after", .text = "1x", .gives = kTypeMismatch},
      {.name = "a decimal comma", .text = "1,5", .gives = kTypeMismatch},
  };
  for (const char* locale : fake::kNumberLocales) {
    const fake::ScopedLocale scoped(locale);
    for (const auto& r : rows) {
      SCOPED_TRACE(std::string(r.name) + " in " + locale);
      EXPECT_EQ(Attempt<std::int32_t>([&] { return vb::CLng(std::string_view(r.text)); }), r.gives);
    }
  }
}

TEST(VbText, NumberToWholeNumber) {
  const Row<std::int32_t> longs[] = {
      {.name = "a half to even", .call = [] { return vb::CLng(0.5); }, .gives = 0},
      {.name = "a half up", .call = [] { return vb::CLng(1.5); }, .gives = 2},
      {.name = "a negative half", .call = [] { return vb::CLng(-1.5); }, .gives = -2},
      {.name = "just below the top",
       .call = [] { return vb::CLng(2147483647.4); },
       .gives = 2147483647},
      {.name = "rounded over the top",
       .call = [] { return vb::CLng(2147483647.5); },
       .gives = kOverflow},
      {.name = "rounded to the bottom",
       .call = [] { return vb::CLng(-2147483648.5); },
       .gives = -2147483648},
      {.name = "below the bottom",
       .call = [] { return vb::CLng(-2147483649.0); },
       .gives = kOverflow},
  };
  ExpectRows(longs);
  const Row<std::int16_t> shorts[] = {
      {.name = "the top", .call = [] { return vb::CInt(32767); }, .gives = 32767},
      {.name = "the bottom", .call = [] { return vb::CInt(-32768); }, .gives = -32768},
      {.name = "above the top", .call = [] { return vb::CInt(32768); }, .gives = kOverflow},
      {.name = "below the bottom", .call = [] { return vb::CInt(-32769); }, .gives = kOverflow},
      {.name = "a half to even", .call = [] { return vb::CInt(2.5); }, .gives = 2},
  };
  ExpectRows(shorts);
}

}  // namespace
