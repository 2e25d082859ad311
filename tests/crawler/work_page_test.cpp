#include "crawler/work_page.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <tuple>

#include "app/vendor.h"
#include "support/harness.h"

namespace {

using Crawl = fake::Wired;
using fake::FakeDocument;
using fake::Page;
using Lines = std::vector<std::string>;

const std::string kError = "[ERROR] workBrowser_DocumentComplete(): ";
const std::string kInvalidCall = kError + "5, Invalid procedure call or argument";

TEST(WorkPage, DispatchesOnTheDecrementedDepth) {
  // The depth, links, images, the link the work browser follows and the image sent to a
  // display slot ("" for none).
  const std::tuple<int, int, int, std::string, std::string> rows[] = {
      {3, 3, 0, "0.html", ""}, {3, 1, 2, "", "0.jpg"},  // one link is no choice: an image
      {1, 3, 1, "", "0.jpg"},  {0, 3, 2, "", "0.jpg"},  // the last page, the image itself
      {0, 0, 1, "", "0.jpg"},  {0, 0, 0, "", ""},       // no image: "[WTF]" and the timer
      {-4, 3, 2, "", ""},                               // below the special values
  };
  for (const auto& [depth, links, images, navigated, shown] : rows) {
    SCOPED_TRACE(std::to_string(depth) + " " + navigated + shown);
    Crawl h;
    auto doc = Page("http://site.example/p.html");
    for (int i = 0; i < links; ++i)
      doc->withLink("http://site.example/" + std::to_string(i) + ".html");
    for (int i = 0; i < images; ++i)
      doc->withImage("http://site.example/" + std::to_string(i) + ".jpg", 200, 150);
    h.program.depth = depth;
    h.program.navPending = true;
    h.platform.random_.script({0.5f});  // half to even: link 0 of 3, image 0 of 2
    h.work().complete(doc);

    const auto site = [](std::string file) {
      return file.empty() ? Lines{} : Lines{"http://site.example/" + file};
    };
    const bool wtf = depth == 0 && images == 0;
    EXPECT_EQ(h.program.depth, depth - 1);
    EXPECT_EQ(h.status().front(),
              "[BrowseComplete (depth=" + std::to_string(depth) + ")] http://site.example/p.html");
    EXPECT_EQ(h.program.lastActivity, h.program.now());
    EXPECT_EQ(h.work().navigations, site(navigated));
    EXPECT_EQ(h.program.navPending, !navigated.empty());
    EXPECT_EQ(h.shown(), site(shown));
    EXPECT_EQ(h.logged("[WTF] depth -1 with no images"), wtf);
    EXPECT_EQ(h.pacingArmed(), wtf || !shown.empty());
    EXPECT_TRUE(h.traced("workBroswer_DocumentComplete"));
  }
}

// Cleaned before the depth is looked at, so one depth stands for all.
TEST(WorkPage, EveryPageIsCleanedFirst) {
  Crawl h;
  h.program.depth = -9;
  auto doc = Page();
  doc->withHtml("<BODY ONLOAD=go()><SCRIPT>x()</SCRIPT></BODY>");
  h.work().complete(doc);
  EXPECT_EQ(doc->writes, Lines{"<BODY quorelload=go()><quorel>x()</quorel></BODY>"});
}

TEST(WorkPage, ParsesTheLinkListReply) {
  const std::string page = "http://site.example/p.html";
  // The reply, the error ("" when it parses), then the start address, link code and depth.
  const std::tuple<std::string, std::string, std::string, std::string, int> rows[] = {
      {page + "|3|abc", "", page, "abc", 3},
      {page + "|0|c1\r\nhttp://other|5|c2", "", page, "c1", 0},  // only the first line counts
      {page + "|-2|a|b|c", "", page, "a|b|c", -2},               // the code keeps further bars
      {page, kInvalidCall, "", "", -2},
      {page + "|3", kInvalidCall, page, "", -2},
      {page + "|x|c", kError + "13, Type mismatch", page, "", -2},
  };
  for (const auto& [text, error, url, linkCode, depth] : rows) {
    SCOPED_TRACE(text);
    Crawl h;
    h.program.depth = -1;
    auto reply = Page(VendorUrl("/quorel/bin/getlinks.asp"));
    reply->withText(text);
    h.work().complete(reply);
    EXPECT_EQ(h.program.startUrl, url);
    EXPECT_EQ(h.program.depth, depth);
    EXPECT_EQ(h.program.linkCode, linkCode);
    EXPECT_EQ(h.trace().back(), "workBroswer_DocumentComplete OUT");
    EXPECT_EQ(h.program.navPending, error.empty());
    if (!error.empty()) {
      EXPECT_EQ(h.status().back(), error);
      EXPECT_TRUE(h.work().navigations.empty());
      continue;
    }
    EXPECT_TRUE(h.logged("[BrowseComplete] url=" + url + ", depth=" + std::to_string(depth) +
                         ", linkcode=" + linkCode));
    EXPECT_EQ(h.work().navigations, Lines{url});
  }
}

TEST(WorkPage, MinesTwoWordsForASearch) {
  // Spaces of "one two three four five six seven eight" at 4, 8, 14, 19, ...
  const std::string words = "one two three four five six seven eight";
  // The text, a phrase pending, the draws, the "[Phrase] " line ("" when none) and the phrase
  // as searched ("" when it fails).
  using Row = std::tuple<std::string, std::string, std::vector<float>, std::string, std::string>;
  const Row rows[] = {
      {words, "", {0.15f, 0.5f}, "three four", "three+four"},  // a start inside a word
      {"one\r\ntwo  three\n    four five six", "", {0.074f, 0.5f}, "three  four", "three++four"},
      {"Hi, you're bold-faced here!", "", {0.12f, 0.5f}, "youre bold faced", "youre+bold+faced"},
      {words, "pending words", {0.5f}, "", "pending+words"},  // no mining
      {"hi there", "", {0.1f}, "", ""},                       // a start below 1
      {"one two", "", {0.5f}, "", ""},                        // no third space: a negative length
  };
  for (const auto& [text, pending, draws, phrase, search] : rows) {
    SCOPED_TRACE(text);
    Crawl h;
    h.program.depth = -2;
    h.program.phrase = pending;
    h.platform.random_.script(draws);
    auto doc = Page("http://site.example/words.html");
    doc->withText(text);
    h.work().complete(doc);

    EXPECT_EQ(h.program.depth, search.empty() ? -3 : 3);
    EXPECT_EQ(h.countLogged("[Phrase] " + phrase), phrase.empty() ? 0 : 1);
    if (search.empty()) {
      EXPECT_EQ(h.status().back(), kInvalidCall);
      EXPECT_TRUE(h.work().navigations.empty());
      continue;
    }
    EXPECT_TRUE(h.program.phrase.empty());
    EXPECT_EQ(h.work().navigations.size(), 1u);
    EXPECT_EQ(h.countLogged("[NextURL] phrase=" + search + ", url="), 1);
  }
}

TEST(WorkPage, GivesUpMiningAfterTwentyShortPhrases) {
  Crawl h;
  h.program.depth = -2;
  // Every draw starts at position 3 of "a b c d e f g h i j": the phrase is "c d".
  h.platform.random_.script(std::vector<float>(20, 0.2f));
  auto doc = Page();
  doc->withText("a b c d e f g h i j");
  h.work().complete(doc);
  EXPECT_EQ(h.countLogged("[Phrase] c d"), 20);
  EXPECT_EQ(h.status().back(), "[Phrase] can't find one!");
  EXPECT_TRUE(h.pacingArmed());
  EXPECT_EQ(h.program.phrase, "c d");  // left pending for the display
  EXPECT_TRUE(h.work().navigations.empty());
  EXPECT_EQ(h.platform.random_.draws, 20);
}

// Each number on its own: a newer revision asks for an update even with an older major. A
// reply without a verdict is no version: a failure.
TEST(WorkPage, ComparesVersionNumbersOneByOne) {
  const std::tuple<std::string, bool, std::string> rows[] = {
      {"2.0.80", true, "up-to-date"},   {"1.0.0", true, "up-to-date"},
      {"1.0.81", false, "need update"}, {"2.1.0", false, "need update"},
      {"3.0.0", true, "need update"},   {"2.0", true, ""},
  };
  for (const auto& [reply, yes, verdict] : rows) {
    SCOPED_TRACE(reply);
    Crawl h;
    h.platform.dialogs_.answerYes = yes;
    h.program.depth = -3;
    auto doc = Page(VendorUrl("/quorel/bin/version.asp"));
    doc->withText(reply);
    h.work().complete(doc);

    EXPECT_EQ(h.program.depth, -4);
    const std::string last = h.status().back();
    EXPECT_EQ(
        verdict.empty() ? last.substr(0, kError.size()) : last,
        verdict.empty() ? kError : "[Version] mine: 2.0.80, server: " + reply + ", " + verdict);
    // The question, and the download page before closing, asked and opened once or not at all.
    const bool update = verdict == "need update", leaves = update && yes;
    const std::string question =
        "There is a new version of Quorel available! Do you want to download it now?";
    EXPECT_EQ(h.platform.dialogs_.questions,
              std::vector<fake::MessageBoxCall>(update, {question, "Update"}));
    EXPECT_EQ(h.platform.shell_.calls,
              std::vector<fake::ShellCall>(leaves,
                                           {0, "open", VendorUrl("/quorel/download/"), "", "", 1}));
    EXPECT_EQ(h.window().closeCalls, leaves ? 1 : 0);
    EXPECT_EQ(h.trace().back(), "workBroswer_DocumentComplete OUT");
  }
}

// A document whose text cannot be read for a reason of the library's own.
struct BrokenDocument : FakeDocument {
  std::string innerText() override { throw std::length_error("text too long"); }
};

// Failures are trapped and logged; every way leaves through the exit line. While the program
// closes a completion only clears the pending navigation. (A run-time error's own number and
// text: the display's and CleanupHTML's rows without a document element.)
TEST(WorkPage, TrapsFailuresAndLeavesThroughTheExit) {
  constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
  // The document, the depth before and after, the last status line ("" for none), closing.
  using Row =
      std::tuple<std::shared_ptr<FakeDocument>, std::int32_t, std::int32_t, std::string, bool>;
  auto links = Page();
  links->withLinks({"http://site.example/a.html", "http://site.example/b.html"});
  const Row rows[] = {
      {std::make_shared<BrokenDocument>(), -1, -2, kError + "5, text too long", false},
      {Page(), kLowest, kLowest, kError + "6, Overflow", false},  // no wrapping round
      {links, 3, 3, "", true},
  };
  for (const auto& [doc, depth, depthAfter, line, unloading] : rows) {
    SCOPED_TRACE(line);
    Crawl h;
    h.program.depth = depth;
    h.program.navPending = true;
    h.program.unloading = unloading;
    h.platform.advanceSeconds(5);
    h.work().complete(doc, "http://site.example/");
    EXPECT_EQ(h.status().empty() ? "" : h.status().back(), line);
    EXPECT_FALSE(h.program.navPending);
    EXPECT_EQ(h.program.depth, depthAfter);
    EXPECT_EQ(h.program.lastActivity == h.program.now(), !unloading);
    EXPECT_TRUE(h.work().navigations.empty());
    EXPECT_EQ(h.trace().back(), "workBroswer_DocumentComplete OUT");
  }
}

TEST(WorkPage, PutsAMovedWorkBrowserBackOutOfSightUnlessDebugging) {
  for (const bool debugging : {false, true}) {
    Crawl h;
    h.program.settings.DebugMode = debugging;
    h.program.depth = -10;
    h.work().setTop(100);
    h.work().complete(Page());
    EXPECT_EQ(h.work().top(), debugging ? 100 : h.window().height() + 600) << debugging;
  }
}

}  // namespace
