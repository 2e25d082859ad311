// Text operations with the classic 1-based semantics the program's procedures are written
// in: positions start at 1, a search returns 0 when nothing is found, and a bad argument is
// a run-time failure (platform::RunTimeError), not undefined behaviour.
// Texts are UTF-8; positions and lengths count bytes, except Len, which counts characters
// (code points) for the places where a text's length in characters is what matters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vb {

// Position (1-based) of needle in text at or after start (1-based); 0 when not found.
// start < 1 is a run-time failure (5); needle empty returns start when start <= len + 1.
std::int64_t InStr(std::int64_t start, std::string_view text, std::string_view needle);
inline std::int64_t InStr(std::string_view text, std::string_view needle) {
  return InStr(1, text, needle);
}

// Substring from start (1-based) of at most length bytes; without length, to the end.
// start < 1 or a negative length is a run-time failure (5); past the end gives "".
std::string Mid(std::string_view text, std::int64_t start);
std::string Mid(std::string_view text, std::int64_t start, std::int64_t length);
// The first / last n characters; n < 0 is a run-time failure (5).
std::string Left(std::string_view text, std::int64_t n);
std::string Right(std::string_view text, std::int64_t n);

std::string LCase(std::string_view text);  // ASCII folding
std::string UCase(std::string_view text);
std::string Trim(std::string_view text);  // spaces only

// Replace every occurrence, scanning once from the first character; case-insensitive
// (ASCII) when ignoreCase. Replacement texts are not scanned again.
std::string Replace(std::string_view text, std::string_view find, std::string_view with,
                    bool ignoreCase = false);

// Nearest whole number, halves to the even neighbour.
double RoundHalfEven(double value);
// Conversion of a draw or a product to a 32-bit whole number (halves to even);
// out of range is a run-time failure (6).
std::int32_t CLng(double value);
// The same to a 16-bit whole number.
std::int16_t CInt(double value);
// A text to a 32-bit whole number: surrounding spaces ignored, fractions rounded half to even;
// no number is a run-time failure (13), out of range (6).
std::int32_t CLng(std::string_view text);
// Like CLng(text) but never throws: false when the text does not convert.
bool TryCLng(std::string_view text, std::int32_t& value);
// A plain decimal text (spaces around, a point as the decimal mark in every locale) to a
// number, unrounded; false when it is none.
bool TryNumber(std::string_view text, double& number);

// Number of characters (UTF-8 code points) of a text.
std::int64_t Len(std::string_view text);

}  // namespace vb
