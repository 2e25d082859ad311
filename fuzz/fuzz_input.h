// Splits a fuzzer's bytes into the few choices a harness makes and the text it feeds in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  // One byte as a choice; 0 once the input is used up.
  std::uint8_t byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  // A draw in [0, 1), as the random source gives.
  float draw() { return static_cast<float>(byte()) / 256.0f; }
  // Everything not taken yet.
  std::string rest() {
    std::string text(rest_);
    rest_ = {};
    return text;
  }

 private:
  std::string_view rest_;
};

// The lines of a text, split at line feeds (a carriage return before one stays on the line).
inline std::vector<std::string> Lines(const std::string& text, std::size_t limit) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from <= text.size() && lines.size() < limit) {
    const auto end = text.find('\n', from);
    if (end == std::string::npos) {
      lines.push_back(text.substr(from));
      break;
    }
    lines.push_back(text.substr(from, end - from));
    from = end + 1;
  }
  return lines;
}

// A small, stable number from a text, for sizes derived from the input.
inline int Spread(const std::string& text, int modulo) {
  std::uint32_t h = 2166136261u;
  for (const char c : text) h = (h ^ static_cast<std::uint8_t>(c)) * 16777619u;
  return static_cast<int>(h % static_cast<std::uint32_t>(modulo));
}

}  // namespace fuzz
