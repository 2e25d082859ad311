#include "dialogs/message_window.h"

#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Centred on the screen (halves to even), sized to the text with margins around it.
TEST(MessageWindow, ShowsTheNoticeCentredAndSizedToIt) {
  fake::Harness h;
  auto& view = h.platform.message;
  const std::pair<std::string, const char*> rows[] = {
      {"File saved as x.jpg", "6075,5288 3210x945"},
      {std::string(300, 'w'), "-15000,5288 45360x945"}};  // wider than the design size
  for (const auto& [text, box] : rows) {
    ShowMessage(h.program, text);
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(view.text, text);
    EXPECT_EQ(std::make_pair(view.textLeft, view.textTop), std::make_pair(60, 60));
    EXPECT_EQ(std::to_string(view.left) + "," + std::to_string(view.top) + " " +
                  std::to_string(view.width) + "x" + std::to_string(view.height),
              box);
  }
}

// Five seconds after it loaded it closes; a second notice does not extend it, and a window
// loaded at start-up (two seconds before) closes three seconds into its first notice.
TEST(MessageWindow, ClosesFiveSecondsAfterItLoaded) {
  struct Row {
    bool loadedBefore;
    int secondNotice;  // seconds after the first notice; -1: none
    int closesAt;      // seconds after the first notice
  } rows[] = {{false, -1, 5}, {false, 3, 5}, {true, -1, 3}};
  for (const Row& r : rows) {
    fake::Harness h;
    auto& view = h.platform.message;
    if (r.loadedBefore) {
      h.program.message->Load();
      EXPECT_FALSE(view.shown);
      h.platform.advanceSeconds(2);
    }
    ShowMessage(h.program, "first");
    EXPECT_EQ(view.frontCalls, 1);
    int elapsed = 0;
    if (r.secondNotice >= 0) {
      h.platform.advanceSeconds(elapsed = r.secondNotice);
      ShowMessage(h.program, "second");
      EXPECT_EQ(view.text, "second");
    }
    h.platform.advance(seconds(r.closesAt - elapsed) - milliseconds(1));
    EXPECT_TRUE(view.shown) << r.closesAt;
    h.platform.advance(milliseconds(1));
    EXPECT_FALSE(view.shown) << r.closesAt;
    EXPECT_FALSE(h.program.message->IsLoaded());
    EXPECT_FALSE(view.timer.enabled());
    // Closed, the next notice loads it afresh, for five seconds more.
    h.platform.advanceSeconds(60);
    ShowMessage(h.program, "later");
    EXPECT_EQ(view.frontCalls, 2);
    h.platform.advance(milliseconds(4999));
    EXPECT_TRUE(view.shown);
    h.platform.advance(milliseconds(1));
    EXPECT_FALSE(view.shown);
    EXPECT_EQ(view.timer.fired, 2);
  }
}

}  // namespace
