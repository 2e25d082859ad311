#include "app/settings.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace {

TEST(Settings, LoadsTheStoreOrTheDefaults) {
  const std::vector<std::string> keys = {
      "MinImageSize", "MaxImageSize", "AdultMode",   "DebugMode", "AutosaveMode",
      "AutosavePath", "AllowMovies",  "AllowSounds", "AllowDocs", "PartridgeMode"};
  // The stored texts in key order, "" for a first run; then what each key gives. A size is
  // two whole numbers (blanks allowed, halves to even) around a lower-case x, or unlimited;
  // anything else is the default. A flag is any number but zero.
  const std::pair<std::vector<std::string>, std::string> rows[] = {
      {{}, "100x100 999999x999999 0 0 0 /home/u/Pictures 0 0 0 0"},
      {{"Unlimited", "800x600", "-1", "0", " 2 ", "/srv/pics", "0.4", "0", "99999999999", "1"},
       "0x0 800x600 1 0 1 /srv/pics 1 0 1 1"},
      {{"640X480", "12x", "-0.0", "1", "yes", "/p", "", "1", "1x", "0"},
       "100x100 999999x999999 0 1 0 /p 0 1 0 0"},
      {{" 100.5 x 3.5 ", "unlimited", "0", "0", "0", "/q", "0", "0", "0", "0"},
       "100x4 999999x999999 0 0 0 /q 0 0 0 0"},
  };
  for (const auto& [stored, expected] : rows) {
    fake::FakeSettingsStore store;
    for (std::size_t i = 0; i < stored.size(); ++i) store.values[keys[i]] = stored[i];
    Settings s;
    s.AdultMode = true;
    LoadSettings(s, store, "/home/u/Pictures");
    const auto size = [](int w, int h) { return std::to_string(w) + "x" + std::to_string(h); };
    const auto flag = [](bool on) { return on ? " 1" : " 0"; };
    EXPECT_EQ(size(s.MinImageWidth, s.MinImageHeight) + " " +
                  size(s.MaxImageWidth, s.MaxImageHeight) + flag(s.AdultMode) + flag(s.DebugMode) +
                  flag(s.AutosaveMode) + " " + s.AutosavePath + flag(s.AllowMovies) +
                  flag(s.AllowSounds) + flag(s.AllowDocs) + flag(s.PartridgeMode),
              expected);
    EXPECT_EQ(store.reads, keys);
  }
}

}  // namespace
