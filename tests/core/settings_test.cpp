#include "core/settings.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"
#include "support/scoped_locale.h"

namespace {

struct Size {
  std::int32_t width, height;
  bool operator==(const Size&) const = default;
};
void PrintTo(const Size& s, std::ostream* out) { *out << s.width << "x" << s.height; }

const std::vector<std::string> kKeys = {
    "MinImageSize", "MaxImageSize", "AdultMode",   "DebugMode", "AutosaveMode",
    "AutosavePath", "AllowMovies",  "AllowSounds", "AllowDocs", "PartridgeMode"};

// Every key is read once, in order; a missing or unreadable one gives its default.
TEST(Settings, MissingOrUnreadableKeysGetTheirDefaults) {
  fake::FakeSettingsStore store;
  store.values["MaxImageSize"] = "12x";
  Settings s;
  s.AdultMode = s.DebugMode = true;  // whatever was there before is overwritten
  LoadSettings(s, store, "/home/u/Pictures");
  EXPECT_EQ((Size{s.MinImageWidth, s.MinImageHeight}), (Size{100, 100}));
  EXPECT_EQ((Size{s.MaxImageWidth, s.MaxImageHeight}), (Size{999999, 999999}));
  EXPECT_FALSE(s.AdultMode);
  EXPECT_FALSE(s.DebugMode);
  EXPECT_EQ(s.AutosavePath, "/home/u/Pictures");
  EXPECT_EQ(store.reads, kKeys);
}

// Each stored value reaches its own field and no other.
TEST(Settings, EachKeyFillsItsOwnField) {
  fake::FakeSettingsStore store;
  store.values = {{"MinImageSize", "640x480"}, {"MaxImageSize", "800x600"}, {"AutosavePath", "/p"}};
  Settings s;
  LoadSettings(s, store, "/home/u/Pictures");
  EXPECT_EQ((Size{s.MinImageWidth, s.MinImageHeight}), (Size{640, 480}));
  EXPECT_EQ((Size{s.MaxImageWidth, s.MaxImageHeight}), (Size{800, 600}));
  EXPECT_EQ(s.AutosavePath, "/p");

  const struct {
    const char* key;
    bool Settings::*field;
  } flags[] = {
      {.key = "AdultMode", .field = &Settings::AdultMode},
      {.key = "DebugMode", .field = &Settings::DebugMode},
      {.key = "AutosaveMode", .field = &Settings::AutosaveMode},
      {.key = "AllowMovies", .field = &Settings::AllowMovies},
      {.key = "AllowSounds", .field = &Settings::AllowSounds},
      {.key = "AllowDocs", .field = &Settings::AllowDocs},
      {.key = "PartridgeMode", .field = &Settings::PartridgeMode},
  };
  for (const auto& on : flags) {
    SCOPED_TRACE(on.key);
    fake::FakeSettingsStore one;
    one.values[on.key] = "1";
    Settings loaded;
    LoadSettings(loaded, one, "/home/u/Pictures");
    for (const auto& flag : flags) EXPECT_EQ(loaded.*flag.field, flag.key == on.key) << flag.key;
  }
}

// Two whole numbers (blanks allowed, halves to even) around a lower-case x, or "unlimited" in
// any case; anything else is the key's default, not what the window was before (the options
// dialog parses into the settings in use). A point is the decimal mark in every locale.
TEST(Settings, SizeTextsInEveryLocale) {
  constexpr Size kUnlimited{999999, 999999};
  const struct {
    const char* name;
    std::string text;
    Size min, max;
  } rows[] = {
      {.name = "a size", .text = "640x480", .min = {640, 480}, .max = {640, 480}},
      {.name = "blanks and halves", .text = " 100.5 x 3.5 ", .min = {100, 4}, .max = {100, 4}},
      {.name = "unlimited", .text = "unLIMITED", .min = {0, 0}, .max = kUnlimited},
      {.name = "an upper-case X", .text = "640X480", .min = {100, 100}, .max = kUnlimited},
      {.name = "no height", .text = "12x", .min = {100, 100}, .max = kUnlimited},
      {.name = "a decimal comma", .text = "100,5x3", .min = {100, 100}, .max = kUnlimited},
      {.name = "empty", .text = "", .min = {100, 100}, .max = kUnlimited},
  };
  for (const char* locale : fake::kNumberLocales) {
    const fake::ScopedLocale scoped(locale);
    for (const auto& r : rows) {
      SCOPED_TRACE(std::string(r.name) + " in " + locale);
      Settings s;  // a window already set, unlike either default
      ParseMinImageSize(s, "1x2");
      ParseMaxImageSize(s, "3x4");
      ParseMinImageSize(s, r.text);
      ParseMaxImageSize(s, r.text);
      EXPECT_EQ((Size{s.MinImageWidth, s.MinImageHeight}), r.min);
      EXPECT_EQ((Size{s.MaxImageWidth, s.MaxImageHeight}), r.max);
    }
  }
}

// Any number but zero is on, unrounded; anything that is no number is off.
TEST(Settings, FlagTextsInEveryLocale) {
  const struct {
    const char* name;
    std::string text;
    bool on;
  } rows[] = {
      {.name = "zero", .text = "0", .on = false},
      {.name = "one", .text = "1", .on = true},
      {.name = "negative", .text = "-1", .on = true},
      {.name = "blanks around", .text = " 2 ", .on = true},
      {.name = "a fraction", .text = "0.4", .on = true},
      {.name = "negative zero", .text = "-0.0", .on = false},
      {.name = "beyond a whole number", .text = "99999999999", .on = true},
      {.name = "a word", .text = "yes", .on = false},
      {.name = "a letter after", .text = "1x", .on = false},
      {.name = "a decimal comma", .text = "0,4", .on = false},
      {.name = "empty", .text = "", .on = false},
  };
  for (const char* locale : fake::kNumberLocales) {
    const fake::ScopedLocale scoped(locale);
    for (const auto& r : rows) {
      SCOPED_TRACE(std::string(r.name) + " in " + locale);
      EXPECT_EQ(ReadFlag(r.text), r.on);
    }
  }
}

}  // namespace
