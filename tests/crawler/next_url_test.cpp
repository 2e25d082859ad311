#include "crawler/next_url.h"

#include <gtest/gtest.h>

#include "app/vb_text.h"
#include "app/vendor.h"
#include "support/harness.h"

namespace {

using Crawl = fake::Wired;
using fake::Page;
using Lines = std::vector<std::string>;

const std::string kGoogle =
    "http://" + std::string(kSearchHosts[0]) + "/images?hl=en&lr=&ie=UTF-8&oe=UTF-8&q=";
const std::string kAllTheWeb =
    "http://" + std::string(kSearchHosts[1]) + "/search?avkw=fogg&cat=img&cs=utf-8&q=";
const std::string kYahoo = "http://" + std::string(kSearchHosts[2]) + "/search/images?p=";
const std::string kYahooTail = "&ei=UTF-8&fr=fp-tab-img-t&cop=mss&tab=3";

TEST(NextUrl, ChoosesTheTargetByPhraseDrawAndMode) {
  struct Row {
    const char* name;
    std::string phrase;
    float draw;
    bool adult;
    std::string url;  // "" when nothing is navigated
    int depth;
  };
  const std::string links = VendorUrl("/quorel/bin/getlinks.asp");
  const Row rows[] = {
      {"link list", "", 0.5f, false, links, -1},
      {"adult link list", "", 0.5f, true, links + "?mode=adult", -1},
      {"2r at 0.5 is Google", "red cars", 0.25f, false, kGoogle + "red+cars&sa=N&tab=wi", 3},
      {"just above 0.5 is AllTheWeb", "red cars", 0.26f, false, kAllTheWeb + "red+cars", 3},
      {"just below 1.5 is AllTheWeb", "red cars", 0.74f, false, kAllTheWeb + "red+cars", 3},
      {"2r at 1.5 is Yahoo", "red cars", 0.75f, false, kYahoo + "red+cars" + kYahooTail, 3},
      {"highest draw is Yahoo", "red cars", 0.999f, true, kYahoo + "red+cars" + kYahooTail, 3},
      {"seven characters", "abc def", 0.5f, false, kAllTheWeb + "abc+def", 3},
      {"every space a plus", "a  b   c", 0.5f, false, kAllTheWeb + "a++b+++c", 3},
      {"no other encoding", "50% & more", 0.5f, false, kAllTheWeb + "50%+&+more", 3},
      {"six characters", "abcdef", 0.5f, false, "", 7},
      {"six characters in eight bytes", "\xC3\xA9t\xC3\xA9 ab", 0.5f, false, "", 7},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Crawl h;
    h.program.settings.AdultMode = row.adult;
    h.program.depth = 7;
    h.program.startUrl = "before";
    h.program.phrase = "pending";
    h.platform.random_.script({row.draw});
    std::string phrase = row.phrase;
    NextUrl(h.program, phrase);

    EXPECT_EQ(h.program.depth, row.depth);
    EXPECT_TRUE(h.program.phrase.empty());
    if (row.url.empty()) {
      EXPECT_TRUE(h.work().navigations.empty());
      EXPECT_EQ(h.program.startUrl, "before");
      EXPECT_EQ(h.status(), Lines{"[NextUrl] phrase too short"});
      continue;
    }
    // Our own search addresses must never trip the bad-link list.
    EXPECT_EQ(h.work().navigations, Lines{row.url});
    EXPECT_EQ(h.program.startUrl, row.url);
    Lines expected;
    EXPECT_EQ(phrase, vb::Replace(row.phrase, " ", "+"));  // the caller's, "+"-joined
    if (!row.phrase.empty()) expected.push_back("[NextURL] phrase=" + phrase + ", url=" + row.url);
    expected.push_back("[BrowseTo (depth=" + std::to_string(row.depth) + ")] " + row.url);
    EXPECT_EQ(h.status(), expected);
    EXPECT_EQ(h.platform.random_.draws, row.phrase.empty() ? 0 : 1);
  }
}

// Called with the pending phrase itself: it goes to the search, then is empty.
TEST(NextUrl, ThePendingPhraseItselfIsSearched) {
  Crawl h;
  h.program.phrase = "green hills";
  h.platform.random_.script({0.5f});
  NextUrl(h.program, h.program.phrase);
  EXPECT_TRUE(h.program.phrase.empty());
  EXPECT_EQ(h.work().navigations, std::vector<std::string>{kAllTheWeb + "green+hills"});
  EXPECT_TRUE(h.traced("NextUrl"));
}

}  // namespace
