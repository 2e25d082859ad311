#include "web/document_model.h"

#include <gtest/gtest.h>

#include <climits>

#include "web/nesting_guard.h"
#include "web/web_document.h"

namespace {

using web::buildDocument;

std::shared_ptr<web::DocumentModel> parse(const char* markup,
                                          const char* url = "http://site.example/dir/page.html") {
  return buildDocument(QByteArray(markup), QUrl(url));
}

// Plain pages and preformatted text are held to the real browser by the browser contract;
// these are the cases it does not reach.
TEST(DocumentModel, InnerHtmlAndInnerText) {
  const struct {
    const char *markup, *html, *text;
  } cases[] = {
      {"<p title='say \"hi\"'>a&nbsp;&nbsp;b</p><p>two</p>",
       "<head></head><body><p title=\"say &quot;hi&quot;\">a&nbsp;&nbsp;b</p><p>two</p></body>",
       "a  b\r\n\r\ntwo"},
      {"<HEAD><TITLE>no</TITLE><script>if (a < b) x();</script><!-- c --></HEAD>shown",
       "<head><title>no</title><script>if (a < b) x();</script><!-- c --></head><body>shown</body>",
       "shown"},
      {"<quorel-embed src=x></quorel-embed><div>a</div>line<br><br>  spaced \n\t out ",
       "<head></head><body><quorel-embed src=\"x\"></quorel-embed><div>a</div>line<br><br>  "
       "spaced \n\t out </body>",
       "a\r\nline\r\n\r\nspaced out"},
      {"<table><tr><td>1</td><td>2</td></tr><tr><td>3</td></tr></table><ul><li>x</li><li>y</ul>",
       "<head></head><body><table><tbody><tr><td>1</td><td>2</td></tr><tr><td>3</td></tr></tbody>"
       "</table><ul><li>x</li><li>y</li></ul></body>",
       "1\t2\r\n3\r\nx\r\ny"},
      {"<p hidden>gone</p><div>kept</div><span hidden=''>gone too</span>",
       "<head></head><body><p hidden=\"\">gone</p><div>kept</div><span hidden=\"\">gone "
       "too</span></body>",
       "kept"},
      {"<svg><![CDATA[x<y]]></svg>", "<head></head><body><svg><![CDATA[x<y]]></svg></body>", "x<y"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.markup);
    const auto page = parse(c.markup);
    EXPECT_EQ(page->innerHTML, c.html);
    EXPECT_EQ(page->innerText, c.text);
  }
}

TEST(DocumentModel, AddressesResolveAgainstPageAndBase) {
  auto links = [](const char* markup, const char* url) { return parse(markup, url)->links; };
  using V = std::vector<std::string>;
  EXPECT_EQ(links("<a href=x.html>1</a><a href=../up.html>2</a><a href=/root>3</a><a>no href</a>",
                  "http://site.example/dir/page.html"),
            (V{"http://site.example/dir/x.html", "http://site.example/up.html",
               "http://site.example/root"}));
  EXPECT_EQ(links("<a href=//cdn.example/p>1</a>", "https://site.example/"),
            (V{"https://cdn.example/p"}));
  EXPECT_EQ(links("<head><base href='http://other.example/b/'></head><a href=x?a=1&amp;b=2>1</a>",
                  "http://site.example/dir/"),
            (V{"http://other.example/b/x?a=1&b=2"}));
  EXPECT_EQ(links("<map><area href=zone.html></map><a href=' spaced name.html '>1</a>",
                  "http://s.example/"),
            (V{"http://s.example/zone.html", "http://s.example/spaced%20name.html"}));
  EXPECT_EQ(links("<a href='?imgurl=www.x.example/a.jpg&imgrefurl=y'>r</a>",
                  "http://s.example/images?q=1"),
            (V{"http://s.example/images?imgurl=www.x.example/a.jpg&imgrefurl=y"}));
  // An empty reference names the page itself (never "", which GetLink would navigate to).
  EXPECT_EQ(links("<a href=''>1</a><a href=' '>2</a><a href='#top'>3</a>",
                  "http://s.example/p.html?q=1#f"),
            (V{"http://s.example/p.html?q=1", "http://s.example/p.html?q=1",
               "http://s.example/p.html?q=1#top"}));

  auto page =
      parse("<base href=/pics/><img src=a.png width=10 height=20><img src='b.gif' width=50%><img>",
            "http://s.example/x/");
  ASSERT_EQ(page->images.size(), 3u);
  EXPECT_EQ(page->images[0].src, "http://s.example/pics/a.png");
  EXPECT_EQ(page->images[0].attrWidth, 10);
  EXPECT_EQ(page->images[0].attrHeight, 20);
  EXPECT_EQ(page->images[1].attrWidth, -1);  // a percentage needs a layout we do not have
  EXPECT_EQ(page->images[2].src, "");
}

// Addresses and names of frames: browser_contract_test.cpp. Only a frameset's frames load.
TEST(DocumentModel, FramesetFramesAndInlineFrames) {
  auto page = parse("<frameset><frame src=l.html></frameset>");
  ASSERT_EQ(page->frames.size(), 1u);
  EXPECT_TRUE(page->frames[0].inFrameset);
  page = parse("<body><iframe src=ad.html></iframe></body>");
  ASSERT_EQ(page->frames.size(), 1u);
  EXPECT_FALSE(page->frames[0].inFrameset);
}

TEST(DocumentModel, LaidOutSizeFromAttributesAndIntrinsicAspect) {
  // Attributes as width x height, -1 for one not given.
  struct Row {
    const char* name;
    QSize attributes, intrinsic, laidOut;
  } rows[] = {
      {.name = "none: the intrinsic size",
       .attributes = {-1, -1},
       .intrinsic = {300, 200},
       .laidOut = {300, 200}},
      {.name = "a width: the height by the aspect",
       .attributes = {150, -1},
       .intrinsic = {300, 200},
       .laidOut = {150, 100}},
      {.name = "a height: the width by the aspect",
       .attributes = {-1, 50},
       .intrinsic = {300, 200},
       .laidOut = {75, 50}},
      {
          .name = "both",
          .attributes = {10, 20},
          .intrinsic = {300, 200},
          .laidOut = {10, 20},
      },
      {
          .name = "none, no picture",
          .attributes = {-1, -1},
          .intrinsic = {},
          .laidOut = {0, 0},
      },
      {
          .name = "a width, no picture",
          .attributes = {40, -1},
          .intrinsic = {},
          .laidOut = {40, 0},
      },
      // Header sizes go up to 2^31 - 1 a side: the scaled side saturates, never wraps.
      {.name = "a scaled height saturates",
       .attributes = {1000000000, -1},
       .intrinsic = {1, INT_MAX},
       .laidOut = {1000000000, INT_MAX}},
      {.name = "a scaled width saturates",
       .attributes = {-1, 1000000000},
       .intrinsic = {INT_MAX, 1},
       .laidOut = {INT_MAX, 1000000000}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(web::layoutSize(r.attributes.width(), r.attributes.height(), r.intrinsic), r.laidOut);
  }
  EXPECT_EQ(web::dimensionAttribute(" 120px"), 120);
  EXPECT_EQ(web::dimensionAttribute("12.7"), 12);
  EXPECT_EQ(web::dimensionAttribute("abc"), -1);
}

TEST(DocumentModel, HostileNestingIsBoundedAndStaysFast) {
  // 200 000 nested blocks would make the parse quadratic; the guard drops the excess tags.
  QByteArray deep;
  for (int i = 0; i < 200000; ++i) deep += "<div>";
  deep += "bottom<img src=deep.png>";
  int dropped = 0;
  const QByteArray limited = web::limitNesting(deep, web::kMaxNestingDepth, &dropped);
  EXPECT_EQ(dropped, 200000 - web::kMaxNestingDepth);
  auto page = buildDocument(deep, QUrl("http://s.example/"));
  EXPECT_EQ(page->innerText, "bottom");
  EXPECT_EQ(page->images.size(), 1u);
  // Raw text, comments and void elements do not count as nesting.
  QByteArray flat = "<script>";
  for (int i = 0; i < 5000; ++i) flat += "<div>";
  flat += "</script><!-- <div><div> -->";
  for (int i = 0; i < 5000; ++i) flat += "<p>x<br><img src=a.png><li>";
  web::limitNesting(flat, web::kMaxNestingDepth, &dropped);
  EXPECT_EQ(dropped, 0);
}

// The elements HTML never lets hold children (today's and the legacy ones a parser still
// knows): any number of them in a row is no nesting.
TEST(DocumentModel, VoidElementsNeverNest) {
  for (const char* name : {"area",   "base",  "br",       "col",     "embed",  "hr",     "img",
                           "input",  "link",  "meta",     "param",   "source", "track",  "wbr",
                           "keygen", "frame", "basefont", "bgsound", "image",  "isindex"}) {
    SCOPED_TRACE(name);
    const QByteArray tag = "<" + QByteArray(name) + " x=1>";
    int dropped = -1;
    web::limitNesting(tag.repeated(web::kMaxNestingDepth + 10), web::kMaxNestingDepth, &dropped);
    EXPECT_EQ(dropped, 0);
  }
}

}  // namespace
