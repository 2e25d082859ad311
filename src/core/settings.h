// The in-memory options and their loading from the store.
#pragma once

#include <cstdint>
#include <string>

namespace platform {
class SettingsStore;
}

struct Settings {
  std::int32_t MinImageWidth = 0;
  std::int32_t MinImageHeight = 0;
  std::int32_t MaxImageWidth = 999999;
  std::int32_t MaxImageHeight = 999999;
  bool AdultMode = false;
  bool DebugMode = false;
  bool AutosaveMode = false;
  std::string AutosavePath;
  bool AllowMovies = false;
  bool AllowSounds = false;
  bool AllowDocs = false;
  bool PartridgeMode = false;
};

// Defaults of the running program when a key is missing.
inline constexpr const char* kDefaultMinImageSize = "100x100";
inline constexpr const char* kDefaultMaxImageSize = "Unlimited";

// A picture of this size fits the window the options set (and may be shown in a panel).
bool FitsSizeWindow(const Settings& settings, std::int32_t width, std::int32_t height);

// Size texts: "unlimited" in any case, or "<width>x<height>" (lower-case x). A text that does
// not parse leaves the pair at the key's default and returns false.
bool ParseMinImageSize(Settings& settings, const std::string& text);
bool ParseMaxImageSize(Settings& settings, const std::string& text);

// A stored flag: the text as a number, 0 off and anything else on; unparseable is off.
bool ReadFlag(const std::string& text);

// Reads the ten keys in their order and fills every field. defaultAutosavePath stands in for
// a missing AutosavePath (the user's pictures folder on this platform).
void LoadSettings(Settings& settings, const platform::SettingsStore& store,
                  const std::string& defaultAutosavePath);
