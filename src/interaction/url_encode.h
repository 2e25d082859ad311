// Encodes a text as a query value (UTF-8 bytes, letters and digits kept).
#pragma once

#include <string>

struct Program;

std::string UrlEncode(const std::string& text);
// The other way: "+" becomes a space and "%" with two hexadecimal digits that byte; any other
// "%" stays as it is.
std::string UrlDecode(const std::string& text);
