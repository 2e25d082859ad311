// The browser's and its document's promises, held to the scripted browser the logic tests run
// on and to the engine behind QtBrowser alike (its pages served on loopback). A logic test that
// scripts the fake as these tests do then describes what the real browser will do.
#include <gmock/gmock.h>

#include <QTest>
#include <algorithm>
#include <optional>

#include "desktop/qt_browser.h"
#include "desktop/qt_screen.h"
#include "platform/run_time_error.h"
#include "support/fake_browser.h"
#include "web/http_fixture.h"

namespace {

using Strings = std::vector<std::string>;

struct Image {
  const char* path;
  int width, height;
};
struct Frame {
  const char* path;
  const char* name;
  int status;
};
// One page of the test site: what the server sends, and what its document then holds.
struct Page {
  const char* path;
  QByteArray contentType, markup;
  std::string html, text;
  std::vector<Frame> frames = {};
  std::vector<Image> images = {};
  std::vector<const char*> links = {};
};

const Page kPages[] = {
    {.path = "/page",
     .contentType = "text/html",
     .markup = "<p>Hello</p><a href=a.html></a><a href='/b/c.html'></a><img src=pic.png>"
               "<img src=/img/sized.png width=40 height=30>",
     .html = "<head></head><body><p>Hello</p><a href=\"a.html\"></a><a href=\"/b/c.html\"></a>"
             "<img src=\"pic.png\"><img src=\"/img/sized.png\" width=\"40\" height=\"30\"></body>",
     .text = "Hello",
     .images = {{"/pic.png", 60, 50}, {"/img/sized.png", 40, 30}},
     .links = {"/a.html", "/b/c.html"}},
    {.path = "/reply.txt",
     .contentType = "text/plain",
     .markup = "http://x.test/|2|code <b>\nnext",
     .html = "<head></head><body><pre>http://x.test/|2|code &lt;b&gt;\nnext</pre></body>",
     .text = "http://x.test/|2|code <b>\r\nnext"},
    {.path = "/frames",
     .contentType = "text/html",
     .markup = "<frameset cols='*,*,*'><frame src=a.html><frame src=/b/c.html>"
               "<frame name=dead src=gone.html></frameset>",
     .html = "<head></head><frameset cols=\"*,*,*\"><frame src=\"a.html\"><frame "
             "src=\"/b/c.html\"><frame name=\"dead\" src=\"gone.html\"></frameset>",
     .text = "",
     .frames = {{"/a.html", "", 200}, {"/b/c.html", "", 200}, {"/gone.html", "dead", 404}}},
};

const Page& page(const std::string& path) {
  return *std::find_if(std::begin(kPages), std::end(kPages),
                       [&](const Page& p) { return p.path == path; });
}

// The fake as the logic tests drive it: navigate2 only records; the test delivers the frames'
// events, then the page's, with the page's document installed first.
struct FakeSide {
  static constexpr bool kWriteParses = false;  // the logic tests rely on it keeping the parts
  struct Scripted : fake::FakeBrowser {
    void navigate2(const std::string& url) override {
      FakeBrowser::navigate2(url);
      pending = url;  // a newer navigation replaces one not delivered yet
    }
    void quit() override {
      FakeBrowser::quit();
      pending.reset();
    }
    std::optional<std::string> pending;
  } browser_;
  platform::Browser& browser() { return browser_; }
  std::string url(const std::string& path) { return "http://site.test" + path; }
  std::string unreachable() { return "http://closed.test/"; }
  bool click() {
    auto& document = browser_.fakeDocument();
    return document.onClick ? document.onClick() : true;
  }
  void settleAfterQuit(const std::string&) { settle(); }
  void settle() {
    while (browser_.pending) {
      const std::string address = *browser_.pending;
      browser_.pending.reset();
      deliver(address);
    }
  }
  void deliver(const std::string& address) {
    const std::string path = address.substr(url("").size());
    if (address == unreachable() || path == "/missing") {
      browser_.fail(path == "/missing" ? 404 : platform::kServerNotFound, address);
      return;
    }
    const Page& p = page(path);
    auto document = std::make_shared<fake::FakeDocument>();
    document->withUrl(address).withHtml(p.html).withText(p.text);
    for (const Image& i : p.images) document->withImage(url(i.path), i.width, i.height);
    for (const char* link : p.links) document->withLink(url(link));
    for (const Frame& f : p.frames) document->withFrame(url(f.path));
    browser_.setDocument(document);
    for (const Frame& f : p.frames) {
      if (f.status == 200) browser_.completeFrame(url(f.path));
      if (f.status != 200) browser_.fail(f.status, url(f.path), f.name);
    }
    browser_.complete();
  }
};

struct QtSide {
  static constexpr bool kWriteParses = true;
  webtest::HttpFixture server;
  web::Engine engine{webtest::optionsFor(server)};
  desktop::QtScreen screen;
  QWidget parent;
  std::unique_ptr<desktop::QtBrowser> browser_ =
      desktop::QtBrowser::create(engine, parent, screen, desktop::QtBrowser::View::Unseen);
  bool finished = false;

  QtSide() {
    for (const Page& p : kPages) server.route(p.path, webtest::Reply{200, p.contentType, p.markup});
    server.route("/pic.png", webtest::Reply{200, "image/png", webtest::imageBytes("png", 60, 50)});
    for (const char* path : {"/a.html", "/b/c.html"})
      server.route(path, webtest::Reply{200, "text/html", "<p>in a frame</p>"});
    QObject::connect(&browser_->webBrowser(), &web::WebBrowser::loadFinished,
                     [this] { finished = true; });
  }
  platform::Browser& browser() { return *browser_; }
  std::string url(const std::string& path) {
    return server.url(QString::fromStdString(path)).toStdString();
  }
  std::string unreachable() { return "http://127.0.0.1:1/"; }  // nobody listens there
  bool click() { return browser_->webBrowser().click(); }
  void settle() {
    finished = false;
    ASSERT_TRUE(QTest::qWaitFor([this] { return finished; }, 15000));
  }
  // Nothing is left to wait for: a second browser loads the same page meanwhile.
  void settleAfterQuit(const std::string& url) {
    web::WebBrowser witness(engine);
    webtest::visit(witness, QString::fromStdString(url));
    QTest::qWait(50);
  }
};

template <typename Side>
struct BrowserContract : ::testing::Test {
  Side side;
  Strings events;
  std::vector<std::string> documentAtEvent;  // the document's address when each event came
  std::function<void(const std::string&)> onComplete = [](const std::string&) {};

  void SetUp() override {
    platform::Browser& browser = side.browser();
    browser.setEvents({
        .documentComplete =
            [this, &browser](const std::string& url) {
              events.push_back("complete " + url);
              documentAtEvent.push_back(browser.document().url());
              onComplete(url);
            },
        .navigateError =
            [this](const std::string& url, const std::string& frame, std::int32_t status,
                   bool& cancel) {
              events.push_back("error " + url + " " + frame + " " + std::to_string(status));
              cancel = true;  // as the logic always does
            },
        .newWindow2 = [](bool& cancel) { cancel = true; },
    });
  }
  platform::Document& document() { return side.browser().document(); }
  // Navigates; nothing may be raised from inside navigate2 itself.
  void go(const std::string& url) {
    const std::size_t before = events.size();
    side.browser().navigate2(url);
    EXPECT_EQ(events.size(), before) << "an event inside navigate2";
  }
  void load(const std::string& path) {
    go(side.url(path));
    side.settle();
  }
  static void expectMissing(const std::function<void()>& read) {
    EXPECT_THAT(read, testing::Throws<platform::RunTimeError>(
                          testing::Property(&platform::RunTimeError::number, 91)));
  }
};

using Sides = ::testing::Types<FakeSide, QtSide>;
TYPED_TEST_SUITE(BrowserContract, Sides);

TYPED_TEST(BrowserContract, APageCompletesOnceFromTheLoopWithItsPartsResolved) {
  EXPECT_EQ(this->document().url(), "about:blank");
  EXPECT_EQ(this->document().innerHTML(), "<head></head><body></body>");
  for (const char* path : {"/page", "/reply.txt"}) {
    SCOPED_TRACE(path);
    const Page& p = page(path);
    const std::string url = this->side.url(path);
    this->events.clear();
    this->documentAtEvent.clear();
    this->load(path);
    EXPECT_EQ(this->events, Strings{"complete " + url});
    EXPECT_EQ(this->documentAtEvent, Strings{url});  // the handler reads the new page
    platform::Document& doc = this->document();
    EXPECT_EQ(doc.url(), url);
    EXPECT_EQ(doc.innerHTML(), p.html);
    EXPECT_EQ(doc.innerText(), p.text);
    Strings parts, expected;  // images (address, link, size), then links
    for (int i = 0; i < doc.imageCount(); ++i) {
      const platform::ImageElement image = doc.image(i);
      parts.push_back(image.src + " " + image.href + " " + std::to_string(image.width) + "x" +
                      std::to_string(image.height));
    }
    for (const Image& i : p.images) {
      const std::string src = this->side.url(i.path);
      expected.push_back(src + " " + src + " " + std::to_string(i.width) + "x" +
                         std::to_string(i.height));
    }
    for (int i = 0; i < doc.linkCount(); ++i) parts.push_back(doc.link(i));
    for (const char* link : p.links) expected.push_back(this->side.url(link));
    EXPECT_EQ(parts, expected);
    EXPECT_EQ(doc.frameCount(), 0);
    const struct {
      const char* name;
      std::function<void()> read;
    } missing[] = {
        {.name = "image -1", .read = [&] { doc.image(-1); }},
        {.name = "the image past the last", .read = [&] { doc.image(doc.imageCount()); }},
        {.name = "the link past the last", .read = [&] { doc.link(doc.linkCount()); }},
        {.name = "a frame where there is none", .read = [&] { doc.frameLocation(0); }},
    };
    for (const auto& m : missing) {
      SCOPED_TRACE(m.name);
      this->expectMissing(m.read);
    }
  }
}

// Frames complete (or fail) first, in any order; the page's own completion comes last, and the
// page's document is already in place at every frame's event.
TYPED_TEST(BrowserContract, EachFrameCompletesThenThePageLast) {
  const std::string url = this->side.url("/frames");
  this->load("/frames");
  ASSERT_EQ(this->events.size(), 4u);
  EXPECT_EQ(this->events.back(), "complete " + url);
  Strings frames(this->events.begin(), this->events.end() - 1);
  std::sort(frames.begin(), frames.end());
  EXPECT_EQ(frames, (Strings{"complete " + this->side.url("/a.html"),
                             "complete " + this->side.url("/b/c.html"),
                             "error " + this->side.url("/gone.html") + " dead 404"}));
  EXPECT_EQ(this->documentAtEvent, Strings(3, url));
  platform::Document& doc = this->document();
  EXPECT_EQ(doc.innerHTML(), page("/frames").html);
  ASSERT_EQ(doc.frameCount(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(doc.frameLocation(i), this->side.url(page("/frames").frames[size_t(i)].path));
}

// A failed navigation is one NavigateError; cancelled, nothing follows and the document stays.
TYPED_TEST(BrowserContract, FailuresAreOneErrorAndLeaveTheDocument) {
  this->load("/page");
  const struct {
    const char* name;
    std::string url;
    std::int32_t status;
  } cases[] = {
      {.name = "nobody listens",
       .url = this->side.unreachable(),
       .status = platform::kServerNotFound},
      {.name = "not found", .url = this->side.url("/missing"), .status = 404},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    this->events.clear();
    this->go(c.url);
    this->side.settle();
    EXPECT_EQ(this->events, Strings{"error " + c.url + "  " + std::to_string(c.status)});
    EXPECT_EQ(this->document().url(), this->side.url("/page"));
  }
}

// What was in flight when the browser was stopped or sent elsewhere never reports.
TYPED_TEST(BrowserContract, QuitAndNewerNavigationsSilenceTheOlderOnes) {
  this->go(this->side.url("/frames"));
  this->side.browser().quit();
  this->side.settleAfterQuit(this->side.url("/frames"));
  EXPECT_EQ(this->events, Strings{});
  this->go(this->side.url("/missing"));
  this->load("/page");
  EXPECT_EQ(this->events, Strings{"complete " + this->side.url("/page")});
}

TYPED_TEST(BrowserContract, AHandlerMayNavigateFromInsideAnEvent) {
  this->onComplete = [this](const std::string& url) {
    if (url == this->side.url("/page"))
      this->side.browser().navigate2(this->side.url("/reply.txt"));
  };
  this->load("/page");
  EXPECT_EQ(this->events, (Strings{"complete " + this->side.url("/page"),
                                   "complete " + this->side.url("/reply.txt")}));
  EXPECT_EQ(this->document().innerText(), page("/reply.txt").text);
}

// The display side rewrites its page in place and binds onclick to it; the crawl clears and
// writes the work browser's document and reads it on at once.
TYPED_TEST(BrowserContract, WriteReplacesTheDocumentAtOnceAndANewPageDropsOnclick) {
  this->load("/page");
  platform::Document& doc = this->document();
  int clicks = 0;
  doc.setOnClick([&] {
    ++clicks;
    return false;
  });
  const std::size_t raised = this->events.size();
  doc.close();
  doc.write("<head></head><body bgcolor=black><p>new</p><IMG border=0 src=pic.png></body>");
  EXPECT_NE(doc.innerHTML().find("<p>new</p>"), std::string::npos) << doc.innerHTML();
  EXPECT_EQ(doc.url(), this->side.url("/page"));
  if (TypeParam::kWriteParses) {
    EXPECT_EQ(doc.innerText(), "new");
    ASSERT_EQ(doc.imageCount(), 1);
    EXPECT_EQ(doc.image(0).width, 60);  // sized at once: the picture was probed with its page
    EXPECT_EQ(doc.linkCount(), 0);
  }
  EXPECT_FALSE(this->side.click());
  EXPECT_EQ(clicks, 1);

  doc.clear();
  EXPECT_EQ(doc.imageCount(), 0);
  EXPECT_EQ(doc.linkCount(), 0);
  EXPECT_EQ(doc.frameCount(), 0);
  this->expectMissing([&] { doc.innerHTML(); });
  this->expectMissing([&] { doc.innerText(); });
  doc.write("<p>again</p>");
  EXPECT_NE(doc.innerHTML().find("<p>again</p>"), std::string::npos);
  EXPECT_EQ(this->events.size(), raised);  // writing raises nothing

  this->load("/page");
  EXPECT_TRUE(this->side.click());
  EXPECT_EQ(clicks, 1);
}

}  // namespace
