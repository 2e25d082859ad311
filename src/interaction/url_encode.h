// Encodes a text as a query value (UTF-8 bytes, letters and digits kept).
#pragma once

#include <string>

struct Program;

std::string UrlEncode(const std::string& text);
