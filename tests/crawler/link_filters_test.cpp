#include "crawler/link_filters.h"

#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

using Crawl = fake::Wired;
using Lines = std::vector<std::string>;
using fake::Page;

TEST(BadLinks, TheFiftyEightEntriesInOrder) {
  std::vector<std::string> list;
  AddBadLinks(list);
  EXPECT_EQ(
      list,
      fake::Split(
          "preferences? services/ /ads/ options/ logo.gif nav_ # dictionary.com reference.com "
          "www.google.com google.com/images/ google.com/imghp advanced? mailto: news: "
          "language_tools services.google toolbar.google spacer.gif javascript /answers/ "
          "google.com/about google.com/help google.com/jobs googlegroups groups.google.com "
          "images.google.com/intl/ arrow.gif blank.gif /swr? microsoft.com akamai.net "
          "shopping.yahoo.com .yimg.com help.yahoo.com alltheweb.com/help www.mozilla.org "
          "alltheweb.com/advanced rds.yahoo.com dummy.htm dummy.html /members/ "
          "www.alltheweb.com/customize? www.alltheweb.com/search?c=web "
          "www.alltheweb.com/search?c=mp3 www.alltheweb.com/search?c=vid "
          "www.alltheweb.com/search?c=ftp www.alltheweb.com/info/ yp.yahoo.com "
          "adulthitcounter.com adultlinklist.com maps.yahoo.com a248.e.akamai.net clicks.cgi "
          "advanced_image_search ?c=mp3 ?c=vid banner.",
          ' '));
}

TEST(BadLinks, SubstringMatchIsExactAndCaseSensitive) {
  const std::pair<const char*, bool> rows[] = {
      {"", true},  // and leaves without its exit line
      {"http://site.example/page.html#top", true},
      {"http://site.example/page.html", false},
      {"http://site.example/ads/x.html", true},
      {"http://site.example/ADS/x.html", false},
      {"mailto:someone@site.example", true},
      {"MAILTO:someone@site.example", false},
      {"http://site.example/webservices/list", true},  // "services/" at a segment's end
      {"http://www.google.com/search?q=x", true},
      {"http://images.google.com/imgres?imgurl=pics.example/a.jpg&x=1", false},
      {"http://www.alltheweb.com/search?c=mp3&q=x", true},
      {"http://pics.example/banner.jpg", true},
  };
  for (const auto& [url, bad] : rows) {
    Crawl h;
    EXPECT_EQ(BadLink(h.program, url), bad) << url;
    EXPECT_EQ(h.trace().back(), *url ? "BadLink OUT" : "BadLink IN") << url;
  }
}

TEST(GoodExtension, AcceptsTheThreeImageTypesInAnyCase) {
  const std::pair<const char*, bool> rows[] = {
      {".jpg", true}, {".JPG", true},  {"jpeg", true},  {"JPEG", true}, {".Gif", true},
      {".png", true}, {".bmp", false}, {"TIFF", false}, {"", false},    {"jpg", false}};
  for (const auto& [ending, good] : rows) {
    Crawl h;
    EXPECT_EQ(GoodExtension(h.program, ending), good) << ending;
    EXPECT_EQ(h.status(), good ? Lines{} : Lines{std::string("[BadExtension] ") + ending});
  }
}

// Character by character: ASCII punctuation becomes a space, an apostrophe vanishes, letters,
// digits, control characters and the bytes of UTF-8 letters stay.
TEST(StripPunctuation, PunctuationBecomesSpacesApostrophesVanish) {
  Crawl h;
  EXPECT_EQ(StripPunctuation(h.program, ""), "");
  EXPECT_EQ(StripPunctuation(h.program,
                             "Hello! well-known don't salt&pepper x...y [a]{b}~|\\^`@ "
                             "caf\xC3\xA9 tab\there 42 !\"#$%()*+,./:;<=>?"),
            "Hello  well known dont salt pepper x   y  a  b        caf\xC3\xA9 tab\there 42" +
                std::string(19, ' '));
}

}  // namespace
