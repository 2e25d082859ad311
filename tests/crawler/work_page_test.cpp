#include "crawler/work_page.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "app/vendor.h"
#include "crawler_fixture.h"

namespace {

using crawl::Crawl;
using fake::FakeDocument;

const std::string kError = "[ERROR] workBrowser_DocumentComplete(): ";
const std::string kInvalidCall = kError + "5, Invalid procedure call or argument";

TEST(WorkPage, DispatchesOnTheDecrementedDepth) {
  struct Row {
    const char* name;
    int depth;
    int links;
    int images;
    bool followsLink;      // the work browser goes to one of the page's links
    bool showsFirstImage;  // the first image goes to a display slot
    bool wtf;              // "[WTF] depth -1 with no images" and the pacing timer
  };
  const Row rows[] = {
      {"mid-crawl page with links", 3, 3, 0, true, false, false},
      {"mid-crawl page with one link picks an image", 3, 1, 2, false, true, false},
      {"last page picks an image despite links", 1, 3, 1, false, true, false},
      {"an image itself", 0, 3, 2, false, true, false},
      {"an image page with one image", 0, 0, 1, false, true, false},
      {"an image page without images", 0, 0, 0, false, false, true},
      {"below the special values nothing happens", -4, 3, 2, false, false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Crawl h;
    auto doc = Crawl::page("http://site.example/p.html");
    for (int i = 0; i < row.links; ++i)
      doc->withLink("http://site.example/" + std::to_string(i) + ".html");
    for (int i = 0; i < row.images; ++i)
      doc->withImage("http://site.example/" + std::to_string(i) + ".jpg", 200, 150);
    h.program.depth = row.depth;
    h.program.navPending = true;
    h.platform.random_.script({0.5f});  // link 1 of 3, image 0 of 1, image 1 of 2

    h.work().complete(doc);

    EXPECT_EQ(h.program.depth, row.depth - 1);
    EXPECT_EQ(h.status().front(), "[BrowseComplete (depth=" + std::to_string(row.depth) +
                                      ")] http://site.example/p.html");
    EXPECT_EQ(h.program.lastActivity, h.program.now());
    EXPECT_EQ(!h.work().navigations.empty(), row.followsLink);
    EXPECT_EQ(h.program.navPending, row.followsLink);
    EXPECT_EQ(h.logged("[WTF] depth -1 with no images"), row.wtf);
    if (row.wtf) {
      EXPECT_TRUE(h.pacingArmed());
    }
    if (row.showsFirstImage) {
      ASSERT_EQ(h.shown().size(), 1u);
    } else {
      EXPECT_TRUE(h.shown().empty());
    }
    if (row.depth == 0 && row.images > 0) {
      EXPECT_EQ(h.shown()[0], "http://site.example/0.jpg");
    }
    EXPECT_TRUE(h.traced("workBroswer_DocumentComplete"));
  }
}

TEST(WorkPage, EachFrameOfAFramesetLowersTheDepth) {
  Crawl h;
  auto doc = Crawl::page("http://site.example/frames.html");
  doc->withFrame("http://site.example/a.html").withFrame("http://site.example/b.html");
  h.program.depth = 2;
  h.work().setDocument(doc);

  h.work().completeFrame("http://site.example/a.html");
  h.work().completeFrame("http://site.example/b.html");
  h.work().complete();

  // Three completions: the page itself is taken for an image, with none to show.
  EXPECT_EQ(h.program.depth, -1);
  EXPECT_TRUE(h.logged("[BrowseComplete (depth=2)] http://site.example/a.html"));
  EXPECT_TRUE(h.logged("[BrowseComplete (depth=1)] http://site.example/b.html"));
  EXPECT_TRUE(h.logged("[BrowseComplete (depth=0)] http://site.example/frames.html"));
  EXPECT_TRUE(h.logged("[WTF] depth -1 with no images"));
}

TEST(WorkPage, ParsesTheLinkListReply) {
  struct Row {
    const char* name;
    std::string text;
    std::string error;  // "" when the reply parses
    std::string url, linkCode;
    int depth;
  };
  const Row rows[] = {
      {"three fields", "http://site.example/p.html|3|abc", "", "http://site.example/p.html", "abc",
       3},
      {"only the first line counts", "http://site.example/p.html|0|c1\r\nhttp://other|5|c2", "",
       "http://site.example/p.html", "c1", 0},
      {"link code keeps further bars", "http://site.example/p.html|-2|a|b|c", "",
       "http://site.example/p.html", "a|b|c", -2},
      {"no bar", "http://site.example/p.html", kInvalidCall, "", "", -2},
      {"one bar", "http://site.example/p.html|3", kInvalidCall, "http://site.example/p.html", "",
       -2},
      {"depth not a number", "http://site.example/p.html|x|c", kError + "13, Type mismatch",
       "http://site.example/p.html", "", -2},
      {"empty reply", "", kInvalidCall, "", "", -2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Crawl h;
    h.program.depth = -1;
    auto reply = Crawl::page(VendorUrl("/quorel/bin/getlinks.asp"));
    reply->withText(row.text);
    h.work().complete(reply);
    EXPECT_EQ(h.program.startUrl, row.url);
    EXPECT_EQ(h.program.depth, row.depth);
    EXPECT_EQ(h.program.linkCode, row.linkCode);
    if (!row.error.empty()) {
      EXPECT_EQ(h.status().back(), row.error);
      EXPECT_TRUE(h.work().navigations.empty());
      EXPECT_FALSE(h.program.navPending);
      EXPECT_EQ(h.trace().back(), "workBroswer_DocumentComplete OUT");
      continue;
    }
    EXPECT_TRUE(h.logged("[BrowseComplete] url=" + row.url +
                         ", depth=" + std::to_string(row.depth) + ", linkcode=" + row.linkCode));
    EXPECT_EQ(h.work().navigations, std::vector<std::string>{row.url});
    EXPECT_TRUE(h.program.navPending);
  }
}

TEST(WorkPage, ALinkListCrawlFollowsLinksDownToAnImage) {
  Crawl h;
  h.program.depth = -1;
  h.platform.random_.script({0.5f, 0.5f});  // link 0 of 3 on both mid-crawl pages
  const auto pageWithLinks = [](const std::string& url, const std::string& next) {
    auto doc = Crawl::page(url);
    doc->withLinks({next, "http://site.example/x.html", "http://site.example/y.html"});
    return doc;
  };
  auto reply = Crawl::page(VendorUrl("/quorel/bin/getlinks.asp"));
  reply->withText("http://site.example/start.html|3|code7");
  h.work().complete(reply);
  h.work().complete(pageWithLinks("http://site.example/start.html", "http://site.example/2.html"));
  h.work().complete(pageWithLinks("http://site.example/2.html", "http://site.example/3.html"));
  auto last = pageWithLinks("http://site.example/3.html", "http://site.example/4.html");
  last->withImage("http://pics.example/cat.jpg", 300, 200);
  h.work().complete(last);

  EXPECT_EQ(h.work().navigations,
            (std::vector<std::string>{"http://site.example/start.html",
                                      "http://site.example/2.html", "http://site.example/3.html"}));
  EXPECT_EQ(h.program.depth, 0);
  EXPECT_EQ(h.shown(), std::vector<std::string>{"http://pics.example/cat.jpg"});
  EXPECT_EQ(h.program.slotInfo[0].picUrl, "http://site.example/start.html");
  EXPECT_EQ(h.program.slotInfo[0].siteUrl, "code7");
}

TEST(WorkPage, MinesTwoWordsForASearch) {
  // "one two three four five six seven eight": 39 characters, spaces at 4, 8, 14, 19, ...
  const std::string words = "one two three four five six seven eight";
  struct Row {
    const char* name;
    std::string text;
    std::string pending;
    std::vector<float> draws;
    std::vector<std::string> phrases;  // the "[Phrase] " lines
    std::string search;                // the phrase as searched, "" when none
    std::string error;
  };
  const Row rows[] = {
      {"start inside a word takes the next two",
       words,
       "",
       {0.15f, 0.5f},
       {"three four"},
       "three+four",
       ""},
      {"line breaks go, double spaces halve once",
       "one\r\ntwo  three\n    four five six",
       "",
       {0.074f, 0.5f},
       {"three  four"},
       "three++four",
       ""},
      {"punctuation stripped",
       "Hi, you're bold-faced here!",
       "",
       {0.12f, 0.5f},
       {"youre bold faced"},
       "youre+bold+faced",
       ""},
      {"a pending phrase skips the mining",
       words,
       "pending words",
       {0.5f},
       {},
       "pending+words",
       ""},
      {"start below 1 fails", "hi there", "", {0.1f}, {}, "", kInvalidCall},
      {"empty page fails", "", "", {0.5f}, {}, "", kInvalidCall},
      {"no third space is a negative length", "one two", "", {0.5f}, {}, "", kInvalidCall},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Crawl h;
    h.program.depth = -2;
    h.program.phrase = row.pending;
    h.platform.random_.script(row.draws);
    auto doc = Crawl::page("http://site.example/words.html");
    doc->withText(row.text);
    h.work().complete(doc);

    EXPECT_EQ(h.program.depth, row.search.empty() ? -3 : 3);
    EXPECT_EQ(h.countLogged("[Phrase] "), static_cast<int>(row.phrases.size()));
    for (const auto& phrase : row.phrases) EXPECT_TRUE(h.logged("[Phrase] " + phrase));
    if (!row.error.empty()) {
      EXPECT_EQ(h.status().back(), row.error);
      EXPECT_TRUE(h.work().navigations.empty());
      continue;
    }
    EXPECT_TRUE(h.program.phrase.empty());
    EXPECT_EQ(h.work().navigations.size(), 1u);
    EXPECT_TRUE(h.countLogged("[NextURL] phrase=" + row.search + ", url=") == 1);
  }
}

TEST(WorkPage, GivesUpMiningAfterTwentyShortPhrases) {
  Crawl h;
  h.program.depth = -2;
  // Every draw starts at position 3 of "a b c d e f g h i j": the phrase is "c d".
  h.platform.random_.script(std::vector<float>(20, 0.2f));
  auto doc = Crawl::page();
  doc->withText("a b c d e f g h i j");
  h.work().complete(doc);

  EXPECT_EQ(h.countLogged("[Phrase] c d"), 20);
  EXPECT_TRUE(h.logged("[Phrase] can't find one!"));
  EXPECT_TRUE(h.pacingArmed());
  EXPECT_EQ(h.program.phrase, "c d");  // left pending for the display
  EXPECT_TRUE(h.work().navigations.empty());
  EXPECT_EQ(h.platform.random_.draws, 20);
}

TEST(WorkPage, ComparesVersionNumbersOneByOne) {
  struct Row {
    const char* reply;
    bool yes;
    std::string verdict;  // "" when the reply does not parse
  };
  const Row rows[] = {
      {"2.0.80", true, "up-to-date"},
      {"2.0.79", true, "up-to-date"},
      {"1.0.0", true, "up-to-date"},
      {"1.0.81", false, "need update"},  // higher revision, lower major
      {"2.1.0", false, "need update"},
      {"3.0.0", true, "need update"},
      {"2.0", true, ""},
      {"unknown", true, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.reply);
    Crawl h;
    h.platform.dialogs_.answerYes = row.yes;
    h.program.depth = -3;
    auto doc = Crawl::page(VendorUrl("/quorel/bin/version.asp"));
    doc->withText(row.reply);
    h.work().complete(doc);

    EXPECT_EQ(h.program.depth, -4);
    const bool update = row.verdict == "need update";
    if (row.verdict.empty()) {
      EXPECT_EQ(h.status().back().rfind(kError, 0), 0u);
    } else {
      EXPECT_EQ(h.status().back(),
                "[Version] mine: 2.0.80, server: " + std::string(row.reply) + ", " + row.verdict);
    }
    ASSERT_EQ(h.platform.dialogs_.questions.size(), update ? 1u : 0u);
    if (update) {
      EXPECT_EQ(h.platform.dialogs_.questions[0].title, "Update");
      EXPECT_EQ(h.platform.dialogs_.questions[0].text,
                "There is a new version of Quorel available! Do you want to download it now?");
    }
    const bool leaves = update && row.yes;
    ASSERT_EQ(h.platform.shell_.calls.size(), leaves ? 1u : 0u);
    if (leaves) {
      EXPECT_EQ(h.platform.shell_.calls[0].file, VendorUrl("/quorel/download/"));
      EXPECT_EQ(h.platform.shell_.calls[0].verb, "open");
      EXPECT_EQ(h.platform.shell_.calls[0].showCommand, 1);
    }
    EXPECT_EQ(h.window().closeCalls, leaves ? 1 : 0);
    EXPECT_EQ(h.trace().back(), "workBroswer_DocumentComplete OUT");
  }
}

// A document whose text cannot be read for a reason of the library's own.
struct BrokenDocument : FakeDocument {
  std::string innerText() override { throw std::length_error("text too long"); }
};

TEST(WorkPage, TrapsFailuresAndLeavesThroughTheExit) {
  struct Row {
    const char* name;
    std::shared_ptr<FakeDocument> doc;
    std::string line;
  };
  auto missing = std::make_shared<FakeDocument>();
  missing->withoutDocumentElement();
  const Row rows[] = {
      {"no document element", missing,
       kError + "91, Object variable or With block variable not set"},
      {"a library failure", std::make_shared<BrokenDocument>(), kError + "5, text too long"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Crawl h;
    h.program.depth = -1;
    h.program.navPending = true;
    h.work().complete(row.doc, "http://site.example/");
    EXPECT_EQ(h.status().back(), row.line);
    EXPECT_FALSE(h.program.navPending);
    EXPECT_EQ(h.program.depth, -2);
    EXPECT_EQ(h.trace().back(), "workBroswer_DocumentComplete OUT");
  }
}

TEST(WorkPage, WhileUnloadingOnlyClearsThePendingNavigation) {
  Crawl h;
  h.program.unloading = true;
  h.program.navPending = true;
  h.program.depth = 3;
  const auto before = h.program.lastActivity;
  h.platform.advanceSeconds(5);
  auto doc = Crawl::page();
  doc->withLinks({"http://site.example/a.html", "http://site.example/b.html"});
  h.work().complete(doc);
  EXPECT_FALSE(h.program.navPending);
  EXPECT_EQ(h.program.depth, 3);
  EXPECT_EQ(h.program.lastActivity, before);
  EXPECT_TRUE(h.status().empty());
  EXPECT_EQ(h.trace(), (std::vector<std::string>{"workBroswer_DocumentComplete IN",
                                                 "workBroswer_DocumentComplete OUT"}));
}

TEST(WorkPage, PutsAMovedWorkBrowserBackOutOfSightUnlessDebugging) {
  for (const bool debugging : {false, true}) {
    SCOPED_TRACE(debugging);
    Crawl h;
    h.program.settings.DebugMode = debugging;
    h.program.depth = -10;
    h.work().setTop(100);
    h.work().complete(Crawl::page());
    EXPECT_EQ(h.work().top(), debugging ? 100 : h.window().height() + 600);
  }
}

TEST(WorkPage, ADepthAtTheBottomOfItsRangeFailsInsteadOfWrapping) {
  Crawl h;
  h.program.depth = std::numeric_limits<std::int32_t>::min();
  h.work().complete(Crawl::page());
  EXPECT_EQ(h.status().back(), kError + "6, Overflow");
  EXPECT_EQ(h.program.depth, std::numeric_limits<std::int32_t>::min());
}

}  // namespace
