#include "interaction/mouse_hook.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/harness.h"

namespace {

using platform::MouseMessage;
using platform::Picture;

TEST(MouseHook, SwallowsOnlyARightButtonReleaseOverABrowser) {
  const std::tuple<MouseMessage, bool, bool> rows[] = {
      {MouseMessage::RightUp, true, true},    {MouseMessage::RightUp, false, false},
      {MouseMessage::RightDown, true, false}, {MouseMessage::LeftUp, true, false},
      {MouseMessage::LeftDown, true, false},  {MouseMessage::Move, true, false},
  };
  for (const auto& [message, overBrowser, swallowed] : rows) {
    fake::Harness h;
    InstallMouseHook(h.program);
    EXPECT_EQ(h.platform.hooks.send({message, 500, 300, overBrowser}), swallowed)
        << static_cast<int>(message) << " over browser " << overBrowser;
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
  const std::tuple<MouseMessage, int, int, Picture, int> steps[] = {
      {MouseMessage::Move, 500, 300, Picture::LogoOut, 1},  // already released: untouched
      {MouseMessage::Move, 10, 700, Picture::LogoIn, 2},
      {MouseMessage::RightUp, 20, 710, Picture::LogoIn, 3},
      {MouseMessage::Move, 88, 768, Picture::LogoIn, 4},  // edges belong to the logo
      {MouseMessage::Move, 89, 700, Picture::LogoOut, 5},
      {MouseMessage::Move, 0, 689, Picture::LogoOut, 5},
  };
  for (const auto& [message, x, y, picture, changes] : steps) {
    EXPECT_FALSE(h.platform.hooks.send({message, x, y, false}));
    EXPECT_EQ(logo.picture(), picture) << x << "," << y;
    EXPECT_EQ(logo.pictureChanges, changes) << x << "," << y;
  }
}

}  // namespace
