// The per-user settings store: one section of text values.
#pragma once

#include <string>

namespace platform {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or defaultText when the key (or the whole store) is missing or unreadable.
  virtual std::string read(const std::string& key, const std::string& defaultText) const = 0;
  // Creates the store, section and key as needed. A store that cannot be written keeps the
  // value for this run only.
  virtual void write(const std::string& key, const std::string& text) = 0;
};

}  // namespace platform
