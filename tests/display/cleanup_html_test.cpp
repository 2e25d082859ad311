#include "display/cleanup_html.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/harness.h"

namespace {

// The markup with script, handlers, plug-ins, inline frames and window calls renamed (in any
// case; other handlers and script links stay) and, with a base, the page's address as <BASE>
// after a bare <HEAD>, the end tag dropped; written into the work browser, the given document
// only closed. Nothing to read leaves the work browser alone.
TEST(CleanupHTML, RewritesTheMarkupAndWritesItIntoTheWorkBrowser) {
  const std::string page = "http://site.test/dir/page.html";
  struct Row {
    std::string url, html, cleaned;  // html "!": no document element; cleaned "": none written
    bool useBase = true;
  } rows[] = {
      {page, "<HEAD><TITLE>t</TITLE></HEAD><BODY>x</BODY>",
       "<HEAD><BASE href='" + page + "'><TITLE>t</TITLE><BODY>x</BODY>"},
      {page, "<head></head><body></body>", "<HEAD><BASE href='" + page + "'><body></body>"},
      {page, "<HEAD profile=\"p\"><title>t</title></Head>", "<HEAD profile=\"p\"><title>t</title>"},
      {"http://site.test/it's.html", "<head></head>",
       "<HEAD><BASE href='http://site.test/it%27s.html'>"},  // no early end to the address
      {"u", "<SCRIPT language=\"js\">a()</ScRiPt >", "<quorel language=\"js\">a()</quorel >"},
      {"u", "<BODY ONLOAD=\"go()\" onUnload=\"x()\" onbeforeunload=\"y()\">",
       "<BODY quorelload=\"go()\" quorelunload=\"x()\" quorelonbeforeunload=\"y()\">"},
      {"u", "<a OnClick=\"z()\">", "<a quorelonclick=\"z()\">"},
      {"u", "<EMBED src=a><object data=b></object><IFRAME src=c></IFrame>",
       "<quorel-embed src=a><quorel-object data=b></object><quorel-frame src=c></quorel-iframe>"},
      {"u", "<script>window.resizeTo(1,2); self.moveTo(0,0)</script> see window. and myself.",
       "<quorel>window-quorel.resizeQUORELo(1,2); self-quorel.moveQUORELo(0,0)</quorel> see "
       "window-quorel. and myself-quorel."},
      {"u", "<a href=\"javascript:x()\" onmouseover=\"y()\">",
       "<a href=\"javascript:x()\" onmouseover=\"y()\">"},
      {"u", "<head></head><body onload=x>", "<head></head><body quorelload=x>", false},
      {"u", "", ""},
      {"u", "!", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.html);
    fake::Harness h;
    fake::FakeDocument doc;
    doc.withUrl(r.url).withHtml(r.html);
    if (r.html == "!") doc.withoutDocumentElement();
    EXPECT_EQ(CleanupHTML(h.program, doc, r.useBase), r.cleaned);
    auto& work = h.work().fakeDocument();
    const bool written = !r.cleaned.empty();
    EXPECT_EQ(work.clearCalls, written ? 1 : 0);
    EXPECT_EQ(work.writes, written ? std::vector{r.cleaned} : std::vector<std::string>{});
    EXPECT_EQ(doc.closeCalls, written ? 1 : 0);
    EXPECT_EQ(doc.html_, r.html) << "the given document is only closed";
    EXPECT_EQ(h.status(), r.html == "!"
                              ? std::vector<std::string>{"[ERROR] CleanupHTML(): 91, Object "
                                                         "variable or With block variable not set"}
                              : std::vector<std::string>{});
    EXPECT_EQ(h.trace().back(), "CleanupHTML OUT");
  }
}

}  // namespace
