#include "core/settings.h"

#include "core/vb_text.h"
#include "platform/settings_store.h"

namespace {

bool parseSize(const std::string& text, std::int32_t unlimited, std::int32_t& width,
               std::int32_t& height) {
  if (vb::LCase(text) == "unlimited") {
    width = height = unlimited;
    return true;
  }
  const auto x = text.find('x');  // an upper-case X is not a separator
  if (x == std::string::npos) return false;
  std::int32_t w = 0, h = 0;
  if (!vb::TryCLng(text.substr(0, x), w) || !vb::TryCLng(text.substr(x + 1), h)) return false;
  width = w;
  height = h;
  return true;
}

}  // namespace

bool FitsSizeWindow(const Settings& s, std::int32_t width, std::int32_t height) {
  // The one size that always passes, whatever the window says.
  if (width == 28 && height == 30) return true;
  return s.MinImageWidth <= width && width <= s.MaxImageWidth && s.MinImageHeight <= height &&
         height <= s.MaxImageHeight;
}

bool ParseMinImageSize(Settings& settings, const std::string& text) {
  if (parseSize(text, 0, settings.MinImageWidth, settings.MinImageHeight)) return true;
  parseSize(kDefaultMinImageSize, 0, settings.MinImageWidth, settings.MinImageHeight);
  return false;
}

bool ParseMaxImageSize(Settings& settings, const std::string& text) {
  if (parseSize(text, 999999, settings.MaxImageWidth, settings.MaxImageHeight)) return true;
  parseSize(kDefaultMaxImageSize, 999999, settings.MaxImageWidth, settings.MaxImageHeight);
  return false;
}

bool ReadFlag(const std::string& text) {
  double value = 0;  // not rounded first: "0.4" is a number other than 0
  return vb::TryNumber(text, value) && value != 0;
}

void LoadSettings(Settings& settings, const platform::SettingsStore& store,
                  const std::string& defaultAutosavePath) {
  ParseMinImageSize(settings, store.read("MinImageSize", kDefaultMinImageSize));
  ParseMaxImageSize(settings, store.read("MaxImageSize", kDefaultMaxImageSize));
  settings.AdultMode = ReadFlag(store.read("AdultMode", "0"));
  settings.DebugMode = ReadFlag(store.read("DebugMode", "0"));
  settings.AutosaveMode = ReadFlag(store.read("AutosaveMode", "0"));
  settings.AutosavePath = store.read("AutosavePath", defaultAutosavePath);
  settings.AllowMovies = ReadFlag(store.read("AllowMovies", "0"));
  settings.AllowSounds = ReadFlag(store.read("AllowSounds", "0"));
  settings.AllowDocs = ReadFlag(store.read("AllowDocs", "0"));
  settings.PartridgeMode = ReadFlag(store.read("PartridgeMode", "0"));
}
