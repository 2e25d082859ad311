#include "crawler/work_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>

#include "core/vendor.h"
#include "support/harness.h"

namespace {

using Crawl = fake::Wired;
using fake::FakeDocument;
using fake::Page;
using Lines = std::vector<std::string>;

const std::string kError = "[ERROR] workBrowser_DocumentComplete(): ";
const std::string kInvalidCall = kError + "5, Invalid procedure call or argument";

// A page's link or image by its file name (they are numbered from 0), or none.
Lines Site(const std::optional<std::string>& file) {
  return file ? Lines{"http://site.example/" + *file} : Lines{};
}

TEST(WorkPage, DispatchesOnTheDecrementedDepth) {
  struct Row {
    const char* name;
    int depth, links = 3, images = 2;
    std::optional<std::string> follows = std::nullopt, shows = std::nullopt;
  };
  const Row rows[] = {
      {.name = "a page on the way follows a link", .depth = 3, .follows = "0.html"},
      {
          .name = "one link is no choice: an image",
          .depth = 3,
          .links = 1,
          .shows = "0.jpg",
      },
      {.name = "the page before the last: an image", .depth = 1, .shows = "0.jpg"},
      {.name = "the last page: its first image", .depth = 0, .shows = "0.jpg"},
      {.name = "below the special values: nothing", .depth = -4},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    auto doc = Page("http://site.example/p.html");
    for (int i = 0; i < r.links; ++i)
      doc->withLink("http://site.example/" + std::to_string(i) + ".html");
    for (int i = 0; i < r.images; ++i)
      doc->withImage("http://site.example/" + std::to_string(i) + ".jpg", 200, 150);
    h.program.depth = r.depth;
    h.program.navPending = true;
    h.platform.random_.script({0.5f});  // half to even: link 0 of 3, image 0 of 2
    h.work().complete(doc);

    EXPECT_EQ(h.program.depth, r.depth - 1);
    EXPECT_EQ(h.status().front(), "[BrowseComplete (depth=" + std::to_string(r.depth) +
                                      ")] http://site.example/p.html");
    EXPECT_EQ(h.program.lastActivity, h.program.now());
    EXPECT_EQ(h.work().navigations, Site(r.follows));
    EXPECT_EQ(h.program.navPending, r.follows.has_value());
    EXPECT_EQ(h.shown(), Site(r.shows));
    EXPECT_EQ(h.pacingArmed(), r.shows.has_value());  // a slot loading arms the slideshow
  }
}

// The last page without an image to show: the slideshow timer takes over.
TEST(WorkPage, TheLastPageWithoutImagesArmsTheSlideshow) {
  Crawl h;
  h.program.depth = 0;
  h.work().complete(Page("http://site.example/p.html"));
  EXPECT_EQ(h.status().back(), "[WTF] depth -1 with no images");
  EXPECT_TRUE(h.pacingArmed());
  EXPECT_TRUE(h.shown().empty());
}

// Cleaned before the depth is looked at, so one depth stands for all.
TEST(WorkPage, EveryPageIsCleanedFirst) {
  Crawl h;
  h.program.depth = -9;
  auto doc = Page();
  doc->withHtml("<BODY ONLOAD=go()><SCRIPT>x()</SCRIPT></BODY>");
  h.work().complete(doc);
  EXPECT_EQ(doc->writes, Lines{"<BODY quorelload=go()><quorel>x()</quorel></BODY>"});
  const Lines trace = h.trace();
  const auto in = std::find(trace.begin(), trace.end(), "CleanupHTML IN");
  EXPECT_NE(in, trace.end());
  EXPECT_NE(std::find(in, trace.end(), "CleanupHTML OUT"), trace.end());
}

// The link server answers a request made at depth -1 with this text.
void CompleteLinkList(Crawl& h, const std::string& text) {
  h.program.depth = -1;
  auto reply = Page(VendorUrl("/quorel/bin/getlinks.asp"));
  reply->withText(text);
  h.work().complete(reply);
}

// The first line of the reply is "address|depth|link code"; the crawl starts at the address.
TEST(WorkPage, ParsesTheLinkListReply) {
  const std::string page = "http://site.example/p.html";
  struct Row {
    const char* name;
    std::string text;
    std::string linkCode;
    int depth;
  };
  const Row rows[] = {
      {
          .name = "one line",
          .text = page + "|3|abc",
          .linkCode = "abc",
          .depth = 3,
      },
      {.name = "only the first line counts",
       .text = page + "|0|c1\r\nhttp://other|5|c2",
       .linkCode = "c1",
       .depth = 0},
      {.name = "the code keeps further bars",
       .text = page + "|-2|a|b|c",
       .linkCode = "a|b|c",
       .depth = -2},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    CompleteLinkList(h, r.text);
    EXPECT_EQ(h.program.startUrl, page);
    EXPECT_EQ(h.program.depth, r.depth);
    EXPECT_EQ(h.program.linkCode, r.linkCode);
    EXPECT_TRUE(h.program.navPending);
    EXPECT_TRUE(h.logged("[BrowseComplete] url=" + page + ", depth=" + std::to_string(r.depth) +
                         ", linkcode=" + r.linkCode));
    EXPECT_EQ(h.work().navigations, Lines{page});
    EXPECT_EQ(h.trace().back(), "workBroswer_DocumentComplete OUT");
  }
}

// A reply whose first line lacks two bars or has a depth that is no number fails, logged;
// what was read before the failure stays.
TEST(WorkPage, ABrokenLinkListReplyIsLogged) {
  const std::string page = "http://site.example/p.html";
  const struct {
    const char* name;
    std::string text;
    std::string error;
    std::string startUrl;
  } rows[] = {
      {
          .name = "no bar",
          .text = page,
          .error = kInvalidCall,
          .startUrl = "",
      },
      {
          .name = "one bar",
          .text = page + "|3",
          .error = kInvalidCall,
          .startUrl = page,
      },
      {.name = "a depth that is no number",
       .text = page + "|x|c",
       .error = kError + "13, Type mismatch",
       .startUrl = page},
      {
          .name = "an empty first line",
          .text = "\r\n" + page + "|3|abc",
          .error = kInvalidCall,
          .startUrl = "",
      },
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    CompleteLinkList(h, r.text);
    EXPECT_EQ(h.program.startUrl, r.startUrl);
    EXPECT_EQ(h.program.depth, -2);
    EXPECT_EQ(h.program.linkCode, "");
    EXPECT_FALSE(h.program.navPending);
    EXPECT_EQ(h.status().back(), r.error);
    EXPECT_TRUE(h.work().navigations.empty());
    EXPECT_EQ(h.trace().back(), "workBroswer_DocumentComplete OUT");
  }
}

TEST(WorkPage, MinesTwoWordsForASearch) {
  // Spaces of "one two three four five six seven eight" at 4, 8, 14, 19, ...
  const std::string words = "one two three four five six seven eight";
  struct Row {
    const char* name;
    std::string text, pending = "";
    std::vector<float> draws;
    std::optional<std::string> phrase = std::nullopt;  // mined, as logged
    std::optional<std::string> search = std::nullopt;  // as searched; none: mining fails
  };
  const Row rows[] = {
      {.name = "a start inside a word",
       .text = words,
       .draws = {0.15f, 0.5f},
       .phrase = "three four",
       .search = "three+four"},
      {.name = "line ends go, double spaces become one",
       .text = "one\r\ntwo  three\n    four five six",
       .draws = {0.074f, 0.5f},
       .phrase = "three  four",
       .search = "three++four"},
      {.name = "a lone carriage return goes",
       .text = "one two three\r four five six seven eight",
       .draws = {0.15f, 0.5f},
       .phrase = "three four",
       .search = "three+four"},
      {.name = "punctuation stripped",
       .text = "Hi, you're bold-faced here!",
       .draws = {0.12f, 0.5f},
       .phrase = "youre bold faced",
       .search = "youre+bold+faced"},
      {.name = "a phrase pending: no mining",
       .text = words,
       .pending = "pending words",
       .draws = {0.5f},
       .search = "pending+words"},
      {.name = "a start below 1", .text = "hi there", .draws = {0.1f}},
      {.name = "no third space: a negative length", .text = "one two", .draws = {0.5f}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    h.program.depth = -2;
    h.program.phrase = r.pending;
    h.platform.random_.script(r.draws);
    auto doc = Page("http://site.example/words.html");
    doc->withText(r.text);
    h.work().complete(doc);

    EXPECT_EQ(h.tagged("[Phrase] "), r.phrase ? Lines{"[Phrase] " + *r.phrase} : Lines{});
    if (!r.search) {
      EXPECT_EQ(h.program.depth, -3);
      EXPECT_EQ(h.status().back(), kInvalidCall);
      EXPECT_TRUE(h.work().navigations.empty());
      continue;
    }
    EXPECT_EQ(h.program.depth, 3);
    EXPECT_TRUE(h.program.phrase.empty());
    EXPECT_EQ(h.work().navigations.size(), 1u);
    EXPECT_EQ(h.tagged("[NextURL] phrase=").size(), 1u);
    EXPECT_EQ(h.tagged("[NextURL] phrase=" + *r.search + ", url=").size(), 1u);
  }
}

// Each number on its own: a newer revision asks for an update even with an older major. A
// reply without a verdict is no version: a failure.
enum class Verdict { UpToDate, NeedUpdate, NoVersion };

TEST(WorkPage, ComparesVersionNumbersOneByOne) {
  struct Row {
    const char* name;
    std::string reply;
    bool answerYes = true;  // to the update question
    Verdict verdict;
  };
  const Row rows[] = {
      {.name = "the same", .reply = "2.0.80", .verdict = Verdict::UpToDate},
      {.name = "an older major", .reply = "1.0.0", .verdict = Verdict::UpToDate},
      {.name = "a newer revision, an older major",
       .reply = "1.0.81",
       .answerYes = false,
       .verdict = Verdict::NeedUpdate},
      {.name = "a newer minor, declined",
       .reply = "2.1.0",
       .answerYes = false,
       .verdict = Verdict::NeedUpdate},
      {.name = "a newer major, accepted", .reply = "3.0.0", .verdict = Verdict::NeedUpdate},
      {.name = "no revision", .reply = "2.0", .verdict = Verdict::NoVersion},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    h.platform.dialogs_.answerYes = r.answerYes;
    h.program.depth = -3;
    auto doc = Page(VendorUrl("/quorel/bin/version.asp"));
    doc->withText(r.reply);
    h.work().complete(doc);

    EXPECT_EQ(h.program.depth, -4);
    const std::string version = "[Version] mine: 2.0.80, server: " + r.reply;
    const std::string line = r.verdict == Verdict::UpToDate     ? version + ", up-to-date"
                             : r.verdict == Verdict::NeedUpdate ? version + ", need update"
                                                                : kError + "13, Type mismatch";
    EXPECT_EQ(h.status().back(), line);
    // The question, and the download page before closing, asked and opened once or not at all.
    const bool update = r.verdict == Verdict::NeedUpdate, leaves = update && r.answerYes;
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
  auto links = Page();
  links->withLinks({"http://site.example/a.html", "http://site.example/b.html"});
  struct Row {
    const char* name;
    std::shared_ptr<FakeDocument> doc;
    std::int32_t depth, depthAfter;
    Lines lastStatus;  // none or one
    bool unloading = false;
  };
  const Row rows[] = {
      {.name = "an unreadable text",
       .doc = std::make_shared<BrokenDocument>(),
       .depth = -1,
       .depthAfter = -2,
       .lastStatus = {kError + "5, text too long"}},
      {.name = "the lowest depth does not wrap round",
       .doc = Page(),
       .depth = kLowest,
       .depthAfter = kLowest,
       .lastStatus = {kError + "6, Overflow"}},
      {.name = "while closing",
       .doc = links,
       .depth = 3,
       .depthAfter = 3,
       .lastStatus = {},
       .unloading = true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    h.program.depth = r.depth;
    h.program.navPending = true;
    h.program.unloading = r.unloading;
    const auto before = h.program.lastActivity;
    h.platform.advanceSeconds(5);
    h.work().complete(r.doc, "http://site.example/");
    const Lines status = h.status();
    EXPECT_EQ(status.empty() ? Lines{} : Lines{status.back()}, r.lastStatus);
    EXPECT_FALSE(h.program.navPending);
    EXPECT_EQ(h.program.depth, r.depthAfter);
    EXPECT_EQ(h.program.lastActivity, r.unloading ? before : h.program.now());
    EXPECT_TRUE(h.work().navigations.empty());
    EXPECT_EQ(h.trace().back(), "workBroswer_DocumentComplete OUT");
  }
}

TEST(WorkPage, PutsAMovedWorkBrowserBackOutOfSightUnlessDebugging) {
  for (const bool debugging : {false, true}) {
    SCOPED_TRACE(debugging ? "debugging" : "not debugging");
    Crawl h;
    h.program.settings.DebugMode = debugging;
    h.program.depth = -10;
    h.work().setTop(100);
    h.work().complete(Page());
    EXPECT_EQ(h.work().top(), debugging ? 100 : h.window().height() + 600);
  }
}

}  // namespace
