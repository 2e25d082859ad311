#include "display/cleanup_html.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/harness.h"

namespace {

TEST(CleanupHTML, RewritesTheMarkupAndWritesItIntoTheWorkBrowser) {
  struct Row {
    const char* name;
    std::string url;
    std::string html;
    std::string cleaned;
    bool useBase = true;
  } rows[] = {
      {"base after a bare head tag, end tag dropped", "http://site.test/dir/page.html",
       "<HEAD><TITLE>t</TITLE></HEAD><BODY>x</BODY>",
       "<HEAD><BASE href='http://site.test/dir/page.html'><TITLE>t</TITLE><BODY>x</BODY>"},
      {"lower-case head keeps its own spelling before the base", "http://site.test/",
       "<head></head><body></body>", "<HEAD><BASE href='http://site.test/'><body></body>"},
      {"a head with attributes gets no base", "http://site.test/",
       "<HEAD profile=\"p\"><title>t</title></Head><body></body>",
       "<HEAD profile=\"p\"><title>t</title><body></body>"},
      {"an apostrophe cannot end the base address early", "http://site.test/it's.html",
       "<head></head>", "<HEAD><BASE href='http://site.test/it%27s.html'>"},
      {"script tags in any case, attributes kept", "u", "<SCRIPT language=\"js\">a()</ScRiPt >",
       "<quorel language=\"js\">a()</quorel >"},
      {"load, unload and before-unload handlers", "u",
       "<BODY ONLOAD=\"go()\" onUnload=\"x()\" onbeforeunload=\"y()\">",
       "<BODY quorelload=\"go()\" quorelunload=\"x()\" quorelonbeforeunload=\"y()\">"},
      {"click handlers keep their on", "u", "<a OnClick=\"z()\">", "<a quorelonclick=\"z()\">"},
      {"plug-ins and inline frames", "u",
       "<EMBED src=a><object data=b></object><IFRAME src=c></IFrame>",
       "<quorel-embed src=a><quorel-object data=b></object><quorel-frame src=c>"
       "</quorel-iframe>"},
      {"window calls, in script and in text", "u",
       "<script>window.resizeTo(1,2); self.moveTo(0,0)</script> see window. and myself.",
       "<quorel>window-quorel.resizeQUORELo(1,2); self-quorel.moveQUORELo(0,0)</quorel> see "
       "window-quorel. and myself-quorel."},
      {"other handlers and script links stay", "u",
       "<a href=\"javascript:x()\" onmouseover=\"y()\">",
       "<a href=\"javascript:x()\" onmouseover=\"y()\">"},
      {"without base the head is left alone", "http://site.test/", "<head></head><body onload=x>",
       "<head></head><body quorelload=x>", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    fake::FakeDocument doc;
    doc.withUrl(r.url).withHtml(r.html);
    EXPECT_EQ(CleanupHTML(h.program, doc, r.useBase), r.cleaned);
    auto& work = h.work().fakeDocument();
    EXPECT_EQ(work.clearCalls, 1);
    EXPECT_EQ(work.writes, std::vector<std::string>{r.cleaned});
    EXPECT_EQ(doc.closeCalls, 1);
    EXPECT_EQ(doc.html_, r.html) << "the given document is only closed";
  }
}

TEST(CleanupHTML, NothingToReadLeavesTheWorkBrowserAlone) {
  struct Row {
    const char* name;
    fake::FakeDocument doc;
    std::vector<std::string> status;
  } rows[] = {
      {"empty document", fake::FakeDocument().withUrl("http://site.test/"), {}},
      {"no document element",
       fake::FakeDocument().withoutDocumentElement(),
       {"[ERROR] CleanupHTML(): 91, Object variable or With block variable not set"}},
  };
  for (Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.debug();
    EXPECT_EQ(CleanupHTML(h.program, r.doc, true), "");
    EXPECT_EQ(h.work().fakeDocument().clearCalls, 0);
    EXPECT_TRUE(h.work().fakeDocument().writes.empty());
    EXPECT_EQ(r.doc.closeCalls, 0);
    EXPECT_EQ(h.status(), r.status);
    EXPECT_EQ(h.trace().back(), "CleanupHTML OUT");
  }
}

}  // namespace
