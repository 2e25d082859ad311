#include "crawler/get_link.h"

#include <gtest/gtest.h>

#include "crawler_fixture.h"
#include "platform/run_time_error.h"

namespace {

using crawl::Crawl;

int FailureNumber(Crawl& h, fake::FakeDocument& doc) {
  try {
    GetLink(h.program, doc);
  } catch (const platform::RunTimeError& error) {
    return error.number();
  }
  return 0;
}

TEST(GetLink, PicksTheAbsoluteRoundedIndex) {
  struct Row {
    int links;
    float draw;
    int index;  // -1: past the end, the read fails with 91
  };
  const Row rows[] = {
      {4, 0.0f, 1},   {4, 0.1f, 1},  {4, 0.125f, 0}, {4, 0.3f, 0}, {4, 0.375f, 0},
      {4, 0.625f, 2}, {4, 0.99f, 3}, {1, 0.3f, -1},  {1, 0.5f, 0}, {1, 0.9f, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.links) + " links, draw " + std::to_string(row.draw));
    Crawl h;
    auto doc = Crawl::page();
    for (int i = 0; i < row.links; ++i) doc->withLink("http://site.example/" + std::to_string(i));
    h.platform.random_.script({row.draw});
    if (row.index < 0) {
      EXPECT_EQ(FailureNumber(h, *doc), 91);
      EXPECT_NE(h.trace().back(), "GetLink OUT");
      continue;
    }
    GetLink(h.program, *doc);
    EXPECT_EQ(h.work().navigations,
              std::vector<std::string>{"http://site.example/" + std::to_string(row.index)});
    EXPECT_EQ(h.trace().back(), "GetLink OUT");
  }
}

TEST(GetLink, ImageSearchResultsGoStraightToTheDisplay) {
  struct Row {
    const char* link;
    bool inFrame;
    std::string shown;       // "" when nothing is shown
    std::string statusLine;  // expected among the lines, "" for none
    bool fails;
  };
  const Row rows[] = {
      {"http://images.google.com/imgres?imgurl=pics.example/cat.jpg&imgrefurl=x", false,
       "http://pics.example/cat.jpg", "", false},
      {"http://search.example/r?x=1&imgurl=pics.example/dog.JPEG&h=2", false,
       "http://pics.example/dog.JPEG", "", false},
      {"http://search.example/r?imgurl=http://pics.example/a.gif&h=2", false,
       "http://http://pics.example/a.gif", "", false},
      {"http://search.example/r?imgurl=pics.example/a.bmp&h=2", false, "", "[BadExtension] .bmp",
       false},
      {"http://search.example/r?imgurl=pics.example/a.jpg", false, "", "", true},
      {"http://images.google.com/imgres?imgurl=pics.example/cat.jpg&imgrefurl=x", true,
       "http://pics.example/cat.jpg", "[F-ImgUrl] http://pics.example/cat.jpg", false},
      {"http://search.example/r?imgurl=pics.example/a.bmp&h=2", true, "", "[BadExtension] .bmp",
       false},
      // In a frame the failed extraction is skipped: an empty address, a bad ending.
      {"http://search.example/r?imgurl=pics.example/a.jpg", true, "", "[BadExtension] ", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.link) + (row.inFrame ? " in a frame" : ""));
    Crawl h;
    auto doc = Crawl::page();
    if (row.inFrame) {
      doc->withFrame(row.link);
    } else {
      doc->withLinks({row.link, row.link});
    }
    if (row.fails) {
      EXPECT_EQ(FailureNumber(h, *doc), 5);
      EXPECT_TRUE(h.shown().empty());
      continue;
    }
    GetLink(h.program, *doc);
    EXPECT_TRUE(h.work().navigations.empty());
    EXPECT_EQ(h.shown(),
              row.shown.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.shown});
    if (!row.statusLine.empty()) {
      EXPECT_TRUE(h.logged(row.statusLine));
    }
    EXPECT_EQ(h.countLogged("[F-ImgUrl] "), row.inFrame && !row.shown.empty() ? 1 : 0);
  }
}

TEST(GetLink, APageWithoutLinksFallsBackOnFramesThenImages) {
  struct Row {
    const char* name;
    std::vector<std::string> frames;
    std::vector<std::string> images;
    std::vector<std::string> navigated;
    std::vector<std::string> shown;
    std::string statusLine;
  };
  const Row rows[] = {
      {"first frame followed",
       {"http://site.example/a.html", "http://site.example/b.html"},
       {},
       {"http://site.example/a.html"},
       {},
       "[BrowseTo (depth=0)] http://site.example/a.html"},
      {"a bad frame address is refused",
       {"http://site.example/a.html#top"},
       {},
       {},
       {},
       "[BrowseTo (depth=0)] http://site.example/a.html#top"},
      {"images picked",
       {},
       {"http://pics.example/1.jpg"},
       {},
       {"http://pics.example/1.jpg"},
       "[GoodImage (0)] 300x200 (min: 0x0, max: 999999x999999) http://pics.example/1.jpg"},
      {"nothing at all", {}, {}, {}, {}, "[GetLink] no links, no frames, no images"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Crawl h;
    h.program.settings.MaxImageWidth = h.program.settings.MaxImageHeight = 999999;
    auto doc = Crawl::page();
    for (const auto& frame : row.frames) doc->withFrame(frame);
    for (const auto& image : row.images) doc->withImage(image, 300, 200);
    GetLink(h.program, *doc);
    EXPECT_EQ(h.work().navigations, row.navigated);
    EXPECT_EQ(h.shown(), row.shown);
    EXPECT_TRUE(h.logged(row.statusLine));
    // A refused frame address arms nothing: the clock timer's idle check takes over.
    EXPECT_EQ(h.pacingArmed(), row.frames.empty());
  }
}

TEST(GetLink, RejectsFilesThatAreNotPagesUnlessAllowed) {
  struct Row {
    const char* link;
    bool movies, sounds, docs;
    std::string tag;  // "" when the link is followed
  };
  const Row rows[] = {
      {"http://site.example/song.MP3", false, false, false, "[BadFile-Sound] "},
      {"http://site.example/song.MP3", false, true, false, ""},
      {"http://site.example/song.wav", true, false, true, "[BadFile-Sound] "},
      {"http://site.example/clip.mpeg", false, true, true, "[BadFile-Movie] "},
      {"http://site.example/clip.AVI", false, false, false, "[BadFile-Movie] "},
      {"http://site.example/clip.wmv", true, false, false, ""},
      {"http://site.example/paper.PDF", true, true, false, "[BadFile-Doc] "},
      {"http://site.example/paper.xls", false, false, true, ""},
      {"http://site.example/x.zip", true, true, true, "[BadFile-Archive] "},
      {"http://site.example/x.tar.gz", true, true, true, "[BadFile-Archive] "},
      {"http://site.example/x.tgz", true, true, true, "[BadFile-Archive] "},
      {"http://site.example/setup.exe", true, true, true, "[BadFile-Script] "},
      {"http://site.example/run.VBS", true, true, true, "[BadFile-Script] "},
      {"http://site.example/scan.TIFF", true, true, true, "[BadFile-Iffy] "},
      {"http://site.example/scan.tif", false, false, false, ""},
      {"http://site.example/page.html", false, false, false, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.link);
    Crawl h;
    h.program.settings.AllowMovies = row.movies;
    h.program.settings.AllowSounds = row.sounds;
    h.program.settings.AllowDocs = row.docs;
    auto doc = Crawl::page();
    doc->withLinks({row.link, "http://site.example/next.html"});
    h.platform.random_.script({0.5f, 0.9f});  // link 0, then link 1
    GetLink(h.program, *doc);

    const bool followed = row.tag.empty();
    EXPECT_EQ(h.work().navigations,
              std::vector<std::string>{followed ? row.link : "http://site.example/next.html"});
    if (!followed) {
      EXPECT_TRUE(h.logged(row.tag + row.link));
    }
    EXPECT_EQ(h.platform.random_.draws, followed ? 1 : 2);
    EXPECT_FALSE(h.pacingArmed());
  }
}

TEST(GetLink, BadLinksAndRejectedFilesShareTwentyAttempts) {
  struct Row {
    const char* name;
    std::vector<std::string> links;
    std::vector<float> draws;
    bool debugging;
    int rejections;
    int yields;
  };
  std::vector<float> alternating;
  for (int i = 0; i < 21; ++i) alternating.push_back(i % 2 ? 0.9f : 0.5f);
  const Row rows[] = {
      {"all bad links",
       {"http://a.example/#1", "http://a.example/#2", "http://a.example/#3"},
       {},
       true,
       0,
       20},
      {"all bad links, quietly", {"http://a.example/#1", "http://a.example/#2"}, {}, false, 0, 20},
      {"all archives", {"http://a.example/1.zip", "http://a.example/2.zip"}, {}, true, 20, 0},
      {"bad link and archive by turns",
       {"http://a.example/#1", "http://a.example/2.zip"},
       alternating,
       true,
       10,
       10},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Crawl h;
    h.program.settings.DebugMode = row.debugging;
    h.platform.random_.script(row.draws);
    auto doc = Crawl::page();
    doc->withLinks(row.links);
    GetLink(h.program, *doc);

    EXPECT_TRUE(h.work().navigations.empty());
    EXPECT_TRUE(h.pacingArmed());
    EXPECT_EQ(h.platform.random_.draws, 21);  // the last pick is never looked at
    EXPECT_EQ(h.platform.doEventsCalls, row.yields);
    if (!row.debugging) continue;
    EXPECT_EQ(h.countLogged("[BadFile-Archive] "), row.rejections);
    EXPECT_EQ(h.status().back(), "[BadLink] nothing valid on this page");
  }
}

TEST(GetLink, ReadsTheLinksAfreshAfterLettingEventsRun) {
  Crawl h;
  auto doc = Crawl::page();
  doc->withLinks({"http://a.example/#1", "http://a.example/#2"});
  // Something handled during the yield changes the page under the picker.
  h.platform.onDoEvents = [&] {
    doc->links_ = {"http://a.example/fresh.html", "http://a.example/fresh.html"};
  };
  GetLink(h.program, *doc);
  EXPECT_EQ(h.platform.doEventsCalls, 1);
  EXPECT_EQ(h.work().navigations, std::vector<std::string>{"http://a.example/fresh.html"});
}

}  // namespace
