#include "dialogs/message_window.h"

#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

struct MessageWindowTest : ::testing::Test {
  fake::Harness h;
  fake::FakeMessageView& view = h.platform.message;
};

TEST_F(MessageWindowTest, ShowsTheNoticeCentredAndSizedToIt) {
  for (const std::string& text :
       std::vector<std::string>{"File saved as 20040103-142501.jpg",
                                std::string(300, 'w')}) {  // wider than the design size
    ShowMessage(h.program, text);
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(view.text, text);
    EXPECT_EQ(view.textLeft, 60);
    EXPECT_EQ(view.textTop, 60);
    EXPECT_EQ(view.width, view.textWidth() + 360);
    EXPECT_EQ(view.height, view.textHeight() + 600);
    EXPECT_NEAR(view.left, (1024 * 15 - view.width) / 2.0, 0.5);
    EXPECT_NEAR(view.top, (768 * 15 - view.height) / 2.0, 0.5);
  }
}

TEST_F(MessageWindowTest, ClosesFiveSecondsAfterItLoaded) {
  struct Case {
    const char* name;
    int loadedAt;      // seconds; -1: not loaded before the first notice
    int secondNotice;  // seconds after the first notice; -1: none
    int closesAt;      // seconds after the first notice
  };
  const Case cases[] = {
      {"one notice", -1, -1, 5},
      {"a second notice does not extend it", -1, 3, 5},
      {"shown soon after start-up", 0, -1, 3},  // start-up loaded it 2 s before
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Harness fresh;
    auto& window = fresh.platform.message;
    if (c.loadedAt >= 0) {
      fresh.program.message->Load();
      EXPECT_FALSE(window.shown);
      fresh.platform.advanceSeconds(2);
    }
    ShowMessage(fresh.program, "first");
    int elapsed = 0;
    if (c.secondNotice >= 0) {
      fresh.platform.advanceSeconds(c.secondNotice);
      elapsed = c.secondNotice;
      ShowMessage(fresh.program, "second");
      EXPECT_EQ(window.text, "second");
    }
    fresh.platform.advance(std::chrono::seconds(c.closesAt - elapsed) -
                           std::chrono::milliseconds(1));
    EXPECT_TRUE(window.shown);
    fresh.platform.advance(std::chrono::milliseconds(1));
    EXPECT_FALSE(window.shown);
    EXPECT_FALSE(fresh.program.message->IsLoaded());
    EXPECT_FALSE(window.timer.enabled());
  }
}

TEST_F(MessageWindowTest, LoadedAtStartUpItClosesUnseenAndReloadsForTheNextNotice) {
  h.program.message->Load();
  h.platform.advanceSeconds(5);
  EXPECT_FALSE(h.program.message->IsLoaded());
  EXPECT_FALSE(view.shown);

  h.platform.advanceSeconds(60);
  ShowMessage(h.program, "later");
  EXPECT_GE(view.frontCalls, 2);
  h.platform.advance(std::chrono::milliseconds(4999));
  EXPECT_TRUE(view.shown);
  h.platform.advance(std::chrono::milliseconds(1));
  EXPECT_FALSE(view.shown);
  EXPECT_EQ(view.timer.fired, 2);
}

}  // namespace
