#include "idle/idle_minutes.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace idle {

std::optional<std::uint32_t> thresholdFromMinutes(std::string_view text) {
  const auto blank = text.find_first_not_of(" \t");
  if (blank == std::string_view::npos) return std::nullopt;
  text.remove_prefix(blank);
  text.remove_suffix(text.size() - text.find_last_not_of(" \t") - 1);
  double minutes = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), minutes, std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  const double milliseconds = std::round(minutes * 60'000);
  if (!(milliseconds >= 1000) || milliseconds > std::numeric_limits<std::uint32_t>::max())
    return std::nullopt;
  return static_cast<std::uint32_t>(milliseconds);
}

}  // namespace idle
