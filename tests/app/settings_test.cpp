#include "app/settings.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace {

struct SizeCase {
  const char* text;
  bool parses;
  std::int32_t width, height;  // for a minimum
};

TEST(Settings, ParsesMinimumSizeTexts) {
  const SizeCase cases[] = {
      {"640x480", true, 640, 480},
      {" 640 x 480 ", true, 640, 480},
      {"unlimited", true, 0, 0},
      {"UnLiMiTeD", true, 0, 0},
      {"100.5x2.5", true, 100, 2},  // halves go to the even neighbour
      {"101.5x3.5", true, 102, 4},
      {"640X480", false, 100, 100},  // an upper-case X is no separator: the default
      {"x", false, 100, 100},
      {"abcxdef", false, 100, 100},
      {"", false, 100, 100},
      {"99999999999x1", false, 100, 100},
  };
  for (const auto& c : cases) {
    Settings settings;
    EXPECT_EQ(ParseMinImageSize(settings, c.text), c.parses) << c.text;
    EXPECT_EQ(settings.MinImageWidth, c.width) << c.text;
    EXPECT_EQ(settings.MinImageHeight, c.height) << c.text;
  }
}

TEST(Settings, UnlimitedOrGarbageMaximumMeansNoLimit) {
  for (const char* text : {"Unlimited", "UNLIMITED", "garbage", "12x"}) {
    Settings settings;
    settings.MaxImageWidth = settings.MaxImageHeight = 5;
    ParseMaxImageSize(settings, text);
    EXPECT_EQ(settings.MaxImageWidth, 999999) << text;
    EXPECT_EQ(settings.MaxImageHeight, 999999) << text;
  }
}

TEST(Settings, FlagsAreNumbers) {
  const std::pair<const char*, bool> cases[] = {
      {"1", true},     {"0", false},          {"-1", true},   {" 2 ", true}, {"0.4", true},
      {"-0.0", false}, {"99999999999", true}, {"yes", false}, {"", false},   {"1x", false},
  };
  for (const auto& [text, on] : cases) EXPECT_EQ(ReadFlag(text), on) << text;
}

TEST(Settings, FirstRunTakesTheDefaults) {
  fake::FakeSettingsStore store;
  Settings settings;
  settings.AdultMode = true;
  LoadSettings(settings, store, "/home/u/Pictures");
  EXPECT_EQ(settings.MinImageWidth, 100);
  EXPECT_EQ(settings.MinImageHeight, 100);
  EXPECT_EQ(settings.MaxImageWidth, 999999);
  EXPECT_EQ(settings.MaxImageHeight, 999999);
  EXPECT_FALSE(settings.AdultMode || settings.DebugMode || settings.AutosaveMode ||
               settings.AllowMovies || settings.AllowSounds || settings.AllowDocs ||
               settings.PartridgeMode);
  EXPECT_EQ(settings.AutosavePath, "/home/u/Pictures");
  const std::vector<std::string> order = {
      "MinImageSize", "MaxImageSize", "AdultMode",   "DebugMode", "AutosaveMode",
      "AutosavePath", "AllowMovies",  "AllowSounds", "AllowDocs", "PartridgeMode"};
  EXPECT_EQ(store.reads, order);
}

TEST(Settings, StoredValuesAreRead) {
  fake::FakeSettingsStore store;
  store.values = {{"MinImageSize", "Unlimited"},
                  {"MaxImageSize", "800x600"},
                  {"AdultMode", "1"},
                  {"DebugMode", "0"},
                  {"AutosaveMode", "1"},
                  {"AutosavePath", "/srv/pics"},
                  {"AllowMovies", "1"},
                  {"AllowSounds", "0"},
                  {"AllowDocs", "1"},
                  {"PartridgeMode", "1"}};
  Settings settings;
  LoadSettings(settings, store, "unused");
  EXPECT_EQ(settings.MinImageWidth, 0);
  EXPECT_EQ(settings.MaxImageHeight, 600);
  EXPECT_TRUE(settings.AdultMode);
  EXPECT_FALSE(settings.DebugMode);
  EXPECT_TRUE(settings.AutosaveMode);
  EXPECT_EQ(settings.AutosavePath, "/srv/pics");
  EXPECT_TRUE(settings.AllowMovies);
  EXPECT_FALSE(settings.AllowSounds);
  EXPECT_TRUE(settings.AllowDocs);
  EXPECT_TRUE(settings.PartridgeMode);
}

}  // namespace
