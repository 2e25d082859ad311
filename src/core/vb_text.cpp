#include "core/vb_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/run_time_error.h"

namespace vb {
namespace {

// ASCII only, whatever the locale: markup and addresses are folded, never prose.
char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A whole text as a number, a point as the decimal mark whatever LC_NUMERIC says.
// Too big for a double counts as a number (the caller's range check fails it).
bool ParseNumber(std::string_view text, double& number) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error == std::errc::result_out_of_range) number = std::numeric_limits<double>::infinity();
  return !text.empty() && end == text.data() + text.size() && error != std::errc::invalid_argument;
}

}  // namespace

std::int64_t InStr(std::int64_t start, std::string_view text, std::string_view needle) {
  if (start < 1) throw platform::invalidCall();
  if (static_cast<std::uint64_t>(start) > text.size() + 1) return 0;
  const auto at = text.find(needle, static_cast<std::size_t>(start - 1));
  return at == std::string_view::npos ? 0 : static_cast<std::int64_t>(at) + 1;
}

std::string Mid(std::string_view text, std::int64_t start) {
  if (start < 1) throw platform::invalidCall();
  if (static_cast<std::uint64_t>(start) > text.size()) return {};
  return std::string(text.substr(static_cast<std::size_t>(start - 1)));
}

std::string Mid(std::string_view text, std::int64_t start, std::int64_t length) {
  if (start < 1 || length < 0) throw platform::invalidCall();
  if (static_cast<std::uint64_t>(start) > text.size()) return {};
  return std::string(
      text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length)));
}

std::string Left(std::string_view text, std::int64_t n) {
  if (n < 0) throw platform::invalidCall();
  return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string Right(std::string_view text, std::int64_t n) {
  if (n < 0) throw platform::invalidCall();
  if (static_cast<std::uint64_t>(n) >= text.size()) return std::string(text);
  return std::string(text.substr(text.size() - static_cast<std::size_t>(n)));
}

std::string LCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = fold(c);
  return out;
}

std::string UCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string Replace(std::string_view text, std::string_view find, std::string_view with,
                    bool ignoreCase) {
  if (find.empty()) return std::string(text);
  // Case-insensitive: search a folded copy (same length, same positions), copy from the original.
  std::string foldedText, foldedFind;
  std::string_view haystack = text, needle = find;
  if (ignoreCase) {
    foldedText = LCase(text);
    foldedFind = LCase(find);
    haystack = foldedText;
    needle = foldedFind;
  }
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (;;) {
    const auto at = haystack.find(needle, from);
    if (at == std::string_view::npos) break;
    out.append(text.substr(from, at - from));
    out.append(with);
    from = at + find.size();
  }
  out.append(text.substr(from));
  return out;
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

std::int32_t CLng(double value) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
        rounded <= std::numeric_limits<std::int32_t>::max()))
    throw platform::overflow();
  return static_cast<std::int32_t>(rounded);
}

std::int16_t CInt(double value) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
        rounded <= std::numeric_limits<std::int16_t>::max()))
    throw platform::overflow();
  return static_cast<std::int16_t>(rounded);
}

bool TryNumber(std::string_view text, double& number) {
  std::string trimmed;
  for (char c : text) trimmed.push_back(c == '\t' ? ' ' : c);
  trimmed = Trim(trimmed);
  if (trimmed.empty()) return false;
  // Plain decimal numbers only: an optional sign, digits, an optional fraction.
  std::size_t i = 0;
  if (trimmed[i] == '+' || trimmed[i] == '-') ++i;
  std::size_t digits = 0;
  while (i < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[i]))) ++i, ++digits;
  if (i < trimmed.size() && trimmed[i] == '.') {
    ++i;
    while (i < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[i])))
      ++i, ++digits;
  }
  if (digits == 0 || i != trimmed.size()) return false;
  return ParseNumber(trimmed, number);
}

bool TryCLng(std::string_view text, std::int32_t& value) {
  double number = 0;
  if (!TryNumber(text, number)) return false;
  const double rounded = RoundHalfEven(number);
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
        rounded <= std::numeric_limits<std::int32_t>::max()))
    return false;
  value = static_cast<std::int32_t>(rounded);
  return true;
}

std::int32_t CLng(std::string_view text) {
  std::int32_t value = 0;
  if (TryCLng(text, value)) return value;
  // Distinguish a number too big from no number at all.
  double number = 0;
  if (ParseNumber(Trim(text), number)) throw platform::overflow();
  throw platform::typeMismatch();
}

std::int64_t Len(std::string_view text) {
  std::int64_t count = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace vb
