#include "interaction/layout.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/harness.h"

namespace {

using Lines = std::vector<std::string>;

// The fake screen: 1024 x 768 pixels, 15360 x 11520 twips.
constexpr int kScreenWidth = 15360;
constexpr int kScreenHeight = 11520;

TEST(ResizeIBrowser, ShrinksOnlyTheDirectionAPageEnlarged) {
  const std::string height = "[B-Bastards!] resize height ", width = "[B-Bastards!] resize width ";
  struct Row {
    int width, height;
    Lines lines;
    int newWidth, newHeight;
  } rows[] = {
      {kScreenWidth - 501, kScreenHeight - 501, {}, kScreenWidth - 501, kScreenHeight - 501},
      {3600, kScreenHeight - 500, {height + "11020 -> 1500"}, 3600, 1500},
      {kScreenWidth - 500, 2220, {width + "14860 -> 9000"}, 9000, 2220},
      {kScreenWidth + 100,
       kScreenHeight,
       {height + "11520 -> 1500", width + "15460 -> 9000"},
       9000,
       1500},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.width) + "x" + std::to_string(r.height));
    fake::Harness h;
    h.browser(7).move(0, 0, r.width, r.height);
    ResizeIBrowser(h.program, 7);
    EXPECT_EQ(h.status(), r.lines);
    EXPECT_EQ(fake::Box(h.browser(7)),
              "0,0 " + std::to_string(r.newWidth) + "x" + std::to_string(r.newHeight));
    EXPECT_TRUE(h.browser(7).silent());
  }
}

// A window too far right would give the address box a negative width: the resize ends there,
// keeping what it placed before.
TEST(FormResize, LaysTheStripAlongTheNewBottomEdgeAndReparks) {
  const std::tuple<int, int, int> rows[] = {
      {0, kScreenWidth, kScreenHeight}, {0, 12000, 9000}, {20000, 9600, 7200}};
  for (const auto& [left, W, H] : rows) {
    fake::Harness h;
    auto& form = h.window();
    form.move(left, 0, W, H);
    form.addressBox.setWidth(4000);
    Form_Resize(h.program);
    EXPECT_EQ(std::pair(h.program.workBrowserLeft, h.program.workBrowserTop),
              std::pair(W - 9000, H + 600));
    EXPECT_EQ(fake::Box(h.work()),
              std::to_string(W - 9000) + "," + std::to_string(H + 600) + " 9000x1500");
    EXPECT_EQ(fake::Box(form.logo), "0," + std::to_string(H - 1170 + 60) + " 1320x1170");
    EXPECT_EQ(form.clockLabel.left(), form.logo.width());
    EXPECT_EQ(form.clockLabel.top(), H - form.clockLabel.height() - 60);
    EXPECT_EQ(form.addressBox.left(), form.clockLabel.left() + form.clockLabel.width());
    EXPECT_EQ(form.addressBox.top(), H - form.addressBox.height() + 60);
    EXPECT_EQ(form.addressBox.width(), left ? 4000 : W);
    EXPECT_TRUE(h.status().empty());
  }
}

}  // namespace
