// How long the user must be idle before the collage starts: "Minutes" of the [Idle] group in
// quorel.conf, or --minutes on the command line (which wins); 10 when neither says.
//
// - A number of minutes, a fraction allowed ("0.1" is six seconds), with a decimal point
//   whatever the locale; spaces around it are ignored.
// - At least one second and at most 49 days (the idle protocols count milliseconds in 32 bits);
//   anything else is unreadable.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace idle {

constexpr std::uint32_t kDefaultThresholdMs = 10 * 60 * 1000;

// The threshold in milliseconds, or nullopt when the text is not a usable number of minutes.
std::optional<std::uint32_t> thresholdFromMinutes(std::string_view text);

}  // namespace idle
