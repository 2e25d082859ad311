#include "interaction/mouse_hook.h"

#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

using platform::MouseMessage;
using platform::Picture;

// Over a browser only the right button's release is swallowed (the page's own menu would
// open); off the browsers nothing is.
TEST(MouseHook, SwallowsOnlyARightButtonReleaseOverABrowser) {
  const struct {
    const char* name;
    MouseMessage message;
    bool swallowedOverABrowser;
  } rows[] = {
      {.name = "right release", .message = MouseMessage::RightUp, .swallowedOverABrowser = true},
      {.name = "right press", .message = MouseMessage::RightDown, .swallowedOverABrowser = false},
      {.name = "left release", .message = MouseMessage::LeftUp, .swallowedOverABrowser = false},
      {.name = "left press", .message = MouseMessage::LeftDown, .swallowedOverABrowser = false},
      {.name = "a move", .message = MouseMessage::Move, .swallowedOverABrowser = false},
      {.name = "another message", .message = MouseMessage::Other, .swallowedOverABrowser = false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    InstallMouseHook(h.program);
    EXPECT_EQ(h.platform.hooks.send({r.message, 500, 300, true}), r.swallowedOverABrowser);
    EXPECT_FALSE(h.platform.hooks.send({r.message, 500, 300, false}));
  }
}

// Every message over the logo, a right click too, sets its pressed picture; off it, the
// released picture comes back once.
TEST(MouseHook, LogoShowsItsPressedPictureWhileThePointerIsOverIt) {
  fake::Harness h;
  auto& logo = h.window().logo;
  logo.move(0, 690 * 15, 88 * 15, 78 * 15);  // 88 x 78 pixels at (0, 690)
  logo.setPicture(Picture::LogoOut);
  InstallMouseHook(h.program);

  using enum MouseMessage;
  using enum Picture;
  const struct {
    const char* name;
    platform::MouseHookEvent event;  // off every browser
    struct {
      Picture picture;
      int changes;  // pictures set so far, the one above included
    } logo;
  } steps[] = {
      {.name = "a move elsewhere, released", .event = {Move, 500, 300}, .logo = {LogoOut, 1}},
      {.name = "a move onto it", .event = {Move, 10, 700}, .logo = {LogoIn, 2}},
      {.name = "a right release on it", .event = {RightUp, 20, 710}, .logo = {LogoIn, 3}},
      {.name = "its far corner belongs to it", .event = {Move, 88, 768}, .logo = {LogoIn, 4}},
      {.name = "one pixel right of it", .event = {Move, 89, 700}, .logo = {LogoOut, 5}},
      {.name = "one pixel above it, still released", .event = {Move, 0, 689}, .logo = {LogoOut, 5}},
      {.name = "its near corner belongs to it", .event = {Move, 0, 690}, .logo = {LogoIn, 6}},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    EXPECT_FALSE(h.platform.hooks.send(s.event));
    EXPECT_EQ(logo.picture(), s.logo.picture);
    EXPECT_EQ(logo.pictureChanges, s.logo.changes);
  }
}

// Buttons as the window reports them: 1 left, 2 right, 4 middle, added up when held together.
// Only the left button alone on the bare background ends the show; any button on the logo
// presses it and releasing it lets it go.
TEST(WindowButtons, OnlyALeftClickOnTheBackgroundCloses) {
  const struct {
    const char* name;
    int button;
    bool closes;
  } rows[] = {
      {.name = "left", .button = 1, .closes = true},
      {.name = "right", .button = 2, .closes = false},
      {.name = "middle", .button = 4, .closes = false},
      {.name = "left and right", .button = 3, .closes = false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Wired h;
    auto& logo = h.window().logo;
    h.window().events.mouseDown(r.button);
    EXPECT_EQ(h.window().closeCalls, r.closes ? 1 : 0);
    h.window().events.logoMouseDown(r.button);
    EXPECT_EQ(logo.picture(), Picture::LogoIn);
    h.window().events.logoMouseUp(r.button);
    EXPECT_EQ(logo.picture(), Picture::LogoOut);
  }
}

}  // namespace
