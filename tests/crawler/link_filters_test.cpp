#include "crawler/link_filters.h"

#include <gtest/gtest.h>

#include <set>

#include "crawler_fixture.h"

namespace {

using crawl::Crawl;

TEST(BadLinks, FiftyEightDistinctEntriesInOrder) {
  std::vector<std::string> list;
  AddBadLinks(list);
  ASSERT_EQ(list.size(), 58u);
  EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), 58u);
  EXPECT_EQ(list[0], "preferences?");
  EXPECT_EQ(list[6], "#");
  EXPECT_EQ(list[13], "mailto:");
  EXPECT_EQ(list[29], "/swr?");
  EXPECT_EQ(list[53], "clicks.cgi");
  EXPECT_EQ(list[57], "banner.");
}

TEST(BadLinks, SubstringMatchIsExactAndCaseSensitive) {
  struct Row {
    const char* url;
    bool bad;
  };
  const Row rows[] = {
      {"", true},
      {"http://site.example/page.html#top", true},
      {"http://site.example/page.html", false},
      {"http://site.example/ads/x.html", true},
      {"http://site.example/ADS/x.html", false},
      {"mailto:someone@site.example", true},
      {"MAILTO:someone@site.example", false},
      {"http://site.example/webservices/list", true},  // "services/" at a segment's end
      {"http://site.example/img/spacer.gif", true},
      {"http://www.google.com/search?q=x", true},
      {"http://images.google.com/imgres?imgurl=pics.example/a.jpg&x=1", false},
      {"http://www.alltheweb.com/search?c=mp3&q=x", true},
      {"http://pics.example/banner.jpg", true},
      {"http://pics.example/cat.jpg", false},
  };
  for (const auto& row : rows) {
    Crawl h;
    EXPECT_EQ(BadLink(h.program, row.url), row.bad) << row.url;
  }
}

TEST(BadLinks, EmptyAddressLeavesWithoutTheExitLine) {
  Crawl h;
  EXPECT_TRUE(BadLink(h.program, ""));
  EXPECT_EQ(h.trace(), std::vector<std::string>{"BadLink IN"});
}

TEST(GoodExtension, AcceptsTheThreeImageTypesInAnyCase) {
  struct Row {
    const char* ending;
    bool good;
  };
  const Row rows[] = {{".jpg", true}, {".JPG", true}, {"jpeg", true},  {"JPEG", true},
                      {".Gif", true}, {".png", true}, {".bmp", false}, {"TIFF", false},
                      {"", false},    {"jpg", false}};
  for (const auto& row : rows) {
    Crawl h;
    EXPECT_EQ(GoodExtension(h.program, row.ending), row.good) << row.ending;
    const auto expected =
        row.good ? std::vector<std::string>{}
                 : std::vector<std::string>{std::string("[BadExtension] ") + row.ending};
    EXPECT_EQ(h.status(), expected) << row.ending;
  }
}

TEST(StripPunctuation, PunctuationBecomesSpacesApostrophesVanish) {
  struct Row {
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {"", ""},
      {"Hello world!", "Hello world "},
      {"well-known fact", "well known fact"},
      {"don't stop", "dont stop"},
      {"salt&pepper", "salt pepper"},
      {"x...y", "x   y"},
      {"[a]{b}~|\\^`@", " a  b       "},
      {"caf\xC3\xA9 au lait", "caf\xC3\xA9 au lait"},
      {"tab\there 42", "tab\there 42"},
  };
  for (const auto& row : rows) {
    Crawl h;
    EXPECT_EQ(StripPunctuation(h.program, row.text), row.expected) << row.text;
  }
}

}  // namespace
