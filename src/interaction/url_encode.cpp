#include "interaction/url_encode.h"

namespace {

bool keptAsIs(unsigned char byte) {
  return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
         (byte >= 'a' && byte <= 'z');
}

}  // namespace

std::string UrlEncode(const std::string& text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string result;
  result.reserve(text.size() * 3);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (keptAsIs(byte)) {
      result += c;
    } else if (byte == ' ') {
      result += '+';
    } else {
      result += '%';
      result += hex[byte >> 4];
      result += hex[byte & 0x0F];
    }
  }
  return result;
}
