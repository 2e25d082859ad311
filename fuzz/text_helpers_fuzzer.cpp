// The small text procedures that see web input or stored text: StripPunctuation, UrlEncode,
// the size-text parsers and ReadFlag, the number conversion and the 1-based text helpers the
// page handlers are written in. Each is checked against what it promises, not just run.
//
// Input: two parameter bytes, then the text; for Replace the text is split at the first
// 0x01 byte into the text and the search, the replacement being the search reversed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/program.h"
#include "core/settings.h"
#include "core/vb_text.h"
#include "crawler/link_filters.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "interaction/url_encode.h"
#include "platform/run_time_error.h"
#include "support/harness.h"

namespace {

bool Punctuation(unsigned char c) {
  return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
         (c >= 123 && c <= 126);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower case is never produced
}

// Undoes UrlEncode; false when the text is not something UrlEncode writes.
bool UrlDecode(const std::string& text, std::string& out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out.push_back(' ');
    } else if (c == '%') {
      if (i + 2 >= text.size()) return false;
      const int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
      if (hi < 0 || lo < 0) return false;
      out.push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    } else if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      out.push_back(c);
    } else {
      return false;
    }
  }
  return true;
}

void CheckStripPunctuation(Program& program, const std::string& text) {
  const std::string stripped = StripPunctuation(program, text);
  std::size_t kept = 0;
  for (const char c : text) kept += c != '\'';
  FUZZ_CHECK(stripped.size() == kept, "StripPunctuation drops apostrophes only");
  std::size_t j = 0;
  for (const char c : text) {
    if (c == '\'') continue;
    const auto code = static_cast<unsigned char>(c);
    FUZZ_CHECK(stripped[j] == (Punctuation(code) ? ' ' : c), "StripPunctuation keeps the rest");
    ++j;
  }
}

void CheckUrlEncode(const std::string& text) {
  const std::string encoded = UrlEncode(text);
  std::string decoded;
  FUZZ_CHECK(UrlDecode(encoded, decoded), "UrlEncode writes letters, digits, + and %XX only");
  FUZZ_CHECK(decoded == text, "UrlEncode loses nothing");
}

void CheckSizes(const std::string& text) {
  Settings s;
  if (!ParseMinImageSize(s, text))
    FUZZ_CHECK(s.MinImageWidth == 100 && s.MinImageHeight == 100, "a bad minimum is the default");
  if (!ParseMaxImageSize(s, text))
    FUZZ_CHECK(s.MaxImageWidth == 999999 && s.MaxImageHeight == 999999,
               "a bad maximum is the default");
  std::int32_t value = 0;
  ReadFlag(text);
  // The number conversion: a run-time failure or a value, and the never-failing form agrees.
  const bool converted = vb::TryCLng(text, value);
  try {
    const std::int32_t thrown = vb::CLng(text);
    FUZZ_CHECK(converted && thrown == value, "CLng and TryCLng agree on a number");
  } catch (const platform::RunTimeError& error) {
    FUZZ_CHECK(!converted, "CLng and TryCLng agree on a failure");
    FUZZ_CHECK(error.number() == 13 || error.number() == 6, "CLng fails with 13 or 6");
  }
}

void CheckTextHelpers(const std::string& text, std::uint8_t a, std::uint8_t b) {
  // Positions around the text's ends, including the invalid ones that must fail cleanly.
  const std::int64_t start = static_cast<std::int64_t>(a) - 2;
  const std::int64_t length = static_cast<std::int64_t>(b) - 2;
  try {
    const auto at = vb::InStr(start, text, text.substr(0, b % 4));
    FUZZ_CHECK(at >= 0 && at <= static_cast<std::int64_t>(text.size()) + 1, "InStr in range");
  } catch (const platform::RunTimeError&) {
  }
  try {
    const std::string mid = vb::Mid(text, start, length);
    FUZZ_CHECK(mid.size() <= text.size(), "Mid is part of the text");
  } catch (const platform::RunTimeError&) {
  }
  try {
    FUZZ_CHECK(vb::Left(text, length).size() <= text.size(), "Left is part of the text");
    FUZZ_CHECK(vb::Right(text, length).size() <= text.size(), "Right is part of the text");
  } catch (const platform::RunTimeError&) {
  }
  FUZZ_CHECK(vb::Len(text) <= static_cast<std::int64_t>(text.size()), "Len counts characters");
  vb::Trim(text);

  const auto split = text.find('\x01');
  if (split != std::string::npos) {
    const std::string body = text.substr(0, split);
    const std::string find = text.substr(split + 1);
    const std::string with(find.rbegin(), find.rend());
    vb::Replace(body, find, with, (a & 1) != 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fake::Harness h;  // StripPunctuation wants a program for its trace; nothing else
  static bool ready = [] {
    AddBadLinks(h.program.badLinks);
    return true;
  }();
  (void)ready;

  fuzz::Input in(data, size);
  const std::uint8_t a = in.byte();
  const std::uint8_t b = in.byte();
  const std::string text = in.rest();

  CheckStripPunctuation(h.program, text);
  CheckUrlEncode(text);
  CheckSizes(text);
  CheckTextHelpers(text, a, b);
  BadLink(h.program, text);
  GoodExtension(h.program, text.substr(0, 4));
  return 0;
}
