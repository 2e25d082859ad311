#include "interaction/mouse_hook.h"

#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

using platform::MouseMessage;
using platform::Picture;

struct Hooked : fake::Harness {
  Hooked() {
    // The logo in the bottom-left corner: 88 x 78 pixels at (0, 690) pixels.
    window().logo.move(0, 690 * 15, 88 * 15, 78 * 15);
    window().logo.setPicture(Picture::LogoOut);
    InstallMouseHook(program);
  }
  bool send(MouseMessage message, int x, int y, bool overBrowser = false) {
    return platform.hooks.send({message, x, y, overBrowser});
  }
};

TEST(MouseHook, SwallowsOnlyARightButtonReleaseOverABrowser) {
  struct Row {
    MouseMessage message;
    bool overBrowser;
    bool swallowed;
  } rows[] = {
      {MouseMessage::RightUp, true, true},    {MouseMessage::RightUp, false, false},
      {MouseMessage::RightDown, true, false}, {MouseMessage::LeftUp, true, false},
      {MouseMessage::LeftDown, true, false},  {MouseMessage::Move, true, false},
  };
  for (const Row& r : rows) {
    Hooked h;
    EXPECT_EQ(h.send(r.message, 500, 300, r.overBrowser), r.swallowed)
        << static_cast<int>(r.message) << " over browser " << r.overBrowser;
  }
}

TEST(MouseHook, LogoShowsItsPressedPictureWhileThePointerIsOverIt) {
  Hooked h;
  auto& logo = h.window().logo;
  struct Step {
    int x, y;
    Picture picture;
    int changes;  // picture changes so far
  } steps[] = {
      {500, 300, Picture::LogoOut, 1},  // off the logo and already released: untouched
      {10, 700, Picture::LogoIn, 2},
      {20, 710, Picture::LogoIn, 3},   // set again on every message over the logo
      {88, 768, Picture::LogoIn, 4},   // edges belong to the logo
      {89, 700, Picture::LogoOut, 5},  // off: back to released, once
      {300, 100, Picture::LogoOut, 5},
      {0, 689, Picture::LogoOut, 5},
  };
  EXPECT_EQ(logo.pictureChanges, 1);
  for (const Step& s : steps) {
    h.send(MouseMessage::Move, s.x, s.y);
    EXPECT_EQ(logo.picture(), s.picture) << s.x << "," << s.y;
    EXPECT_EQ(logo.pictureChanges, s.changes) << s.x << "," << s.y;
  }
}

TEST(MouseHook, RightClickOnTheLogoPassesOn) {
  Hooked h;
  EXPECT_FALSE(h.send(MouseMessage::RightUp, 10, 700));
  EXPECT_EQ(h.window().logo.picture(), Picture::LogoIn);
}

}  // namespace
