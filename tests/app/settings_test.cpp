#include "app/settings.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace {

TEST(Settings, ParsesSizeTexts) {
  struct Row {
    const char* text;
    bool parses;
    std::int32_t width, height;  // as a minimum; a maximum takes 999999 for these two
  } rows[] = {
      {"640x480", true, 640, 480},  {" 640 x 480 ", true, 640, 480},    {"unlimited", true, 0, 0},
      {"UnLiMiTeD", true, 0, 0},    {"100.5x2.5", true, 100, 2},   // halves to even
      {"101.5x3.5", true, 102, 4},  {"640X480", false, 100, 100},  // X is no separator
      {"abcxdef", false, 100, 100}, {"99999999999x1", false, 100, 100}, {"12x", false, 100, 100},
  };
  for (const auto& r : rows) {
    Settings s;
    EXPECT_EQ(ParseMinImageSize(s, r.text), r.parses) << r.text;
    EXPECT_EQ(s.MinImageWidth, r.width) << r.text;
    EXPECT_EQ(s.MinImageHeight, r.height) << r.text;
    // A maximum that does not parse, or is unlimited, means no limit.
    const bool limited = r.parses && r.width != 0;
    EXPECT_EQ(ParseMaxImageSize(s, r.text), r.parses) << r.text;
    EXPECT_EQ(s.MaxImageWidth, limited ? r.width : 999999) << r.text;
    EXPECT_EQ(s.MaxImageHeight, limited ? r.height : 999999) << r.text;
  }
}

TEST(Settings, LoadsTheStoreOrTheDefaults) {
  const std::vector<std::string> keys = {
      "MinImageSize", "MaxImageSize", "AdultMode",   "DebugMode", "AutosaveMode",
      "AutosavePath", "AllowMovies",  "AllowSounds", "AllowDocs", "PartridgeMode"};
  // The stored texts in key order, "" for a first run; then what each key gives. A flag is
  // any number but zero.
  const std::pair<std::vector<std::string>, std::string> rows[] = {
      {{}, "100x100 999999x999999 0 0 0 /home/u/Pictures 0 0 0 0"},
      {{"Unlimited", "800x600", "-1", "0", " 2 ", "/srv/pics", "0.4", "0", "99999999999", "1"},
       "0x0 800x600 1 0 1 /srv/pics 1 0 1 1"},
      {{"50x60", "garbage", "-0.0", "1", "yes", "/p", "", "1", "1x", "0"},
       "50x60 999999x999999 0 1 0 /p 0 1 0 0"},
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
