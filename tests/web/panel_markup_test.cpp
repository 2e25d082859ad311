#include "web/panel_markup.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include "web/document_model.h"
#include "web/gumbo_tree.h"

namespace {

std::string panelOf(const std::string& page) {
  return web::buildDocument(QByteArray::fromStdString(page), QUrl("http://site.example/page.html"))
      ->panelMarkup;
}

std::string times(int n, const std::string& text) {
  std::string out;
  for (int i = 0; i < n; ++i) out += text;
  return out;
}

std::string nested(int depth, const std::string& open, const std::string& close) {
  return "<body>" + times(depth, open) + "x" + times(depth, close);
}

// How deeply the named elements nest in the panel's markup.
int deepest(const std::string& markup, std::initializer_list<std::string> names) {
  int depth = 0, worst = 0;
  for (std::size_t at = markup.find('<'); at != std::string::npos; at = markup.find('<', at + 1)) {
    const bool closing = markup.compare(at + 1, 1, "/") == 0;
    const std::size_t nameAt = at + (closing ? 2 : 1);
    for (const std::string& name : names) {
      if (markup.compare(nameAt, name.size(), name) != 0) continue;
      const char after = markup[nameAt + name.size()];
      if (after != '>' && after != ' ') continue;
      depth += closing ? -1 : 1;
      worst = std::max(worst, depth);
    }
  }
  return worst;
}

// Laid out as a panel lays it out, at a panel's width.
QString laidOutText(const std::string& markup) {
  QTextDocument document;
  document.setHtml(QString::fromStdString(markup));
  document.setTextWidth(400);
  (void)document.size();
  return document.toPlainText();
}

// Pages whose own markup Qt lays out for seconds, forever, or with gigabytes: each reaches the
// panel capped and lays out (the test finishes), and its innermost text is still shown.
TEST(PanelMarkup, HostilePagesReachThePanelCapped) {
  const web::PanelCaps caps;
  const std::string row = "<tr>" + times(100, "<td>c</td>") + "</tr>";
  const struct Case {
    const char* name;
    std::string page;
    int tables = 0;   // deepest nesting of tables in the panel
    int indents = 0;  // of lists and quotes
    QString shows = "x";
    int letters = -1;  // how many of the page's x are shown; -1: not checked
  } cases[] = {
      {.name = "tables 10 deep",
       .page = nested(10, "<table><tr><td>", "</td></tr></table>"),
       .tables = caps.tableDepth},
      {.name = "tables 30 deep",
       .page = nested(30, "<table><tr><td>", "</td></tr></table>"),
       .tables = caps.tableDepth},
      {.name = "tables 1000 deep",
       .page = nested(1000, "<table><tr><td>", "</td></tr></table>"),
       .tables = caps.tableDepth},
      {.name = "tables unclosed",
       .page = "<body>" + times(1000, "<table><td>") + "x",
       .tables = caps.tableDepth},
      {.name = "lists 1000 deep",
       .page = nested(1000, "<ul><li>", "</li></ul>"),
       .indents = caps.indentDepth},
      {.name = "quotes 1000 deep",
       .page = nested(1000, "<blockquote>", "</blockquote>"),
       .indents = caps.indentDepth},
      {.name = "lists in quotes in tables",
       .page = nested(300, "<blockquote><table><tr><td><ol><li>", "</li></ol></td></tr></table>"),
       .tables = caps.tableDepth,
       .indents = caps.indentDepth},
      {.name = "one 5 MB line",
       .page = "<body>" + std::string(5 * 1024 * 1024, 'x'),
       .letters = caps.textBytes},
      {.name = "100,000 cells",
       .page = "<body><table>" + times(1000, row) + "</table>",
       .tables = 1,
       .shows = "c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string markup = panelOf(c.page);
    EXPECT_LE(markup.size(), std::size_t(caps.bytes));
    EXPECT_EQ(deepest(markup, {"table"}), c.tables);
    EXPECT_EQ(deepest(markup, {"ul", "ol", "dl", "blockquote"}), c.indents);
    const QString text = laidOutText(markup);
    EXPECT_TRUE(text.contains(c.shows));
    if (c.letters >= 0) {
      EXPECT_EQ(text.count('x'), c.letters);
    }
  }
}

// What of a page a panel is given: the rules, one row each.
TEST(PanelMarkup, KeepsOnlyWhatAPanelDraws) {
  const std::string word(70, 'w');
  const std::string longest(std::size_t(web::kMaxAddressLength), 'a');
  const struct Case {
    const char* name;
    std::string page;
    std::string panel;  // inside <html><body>
  } cases[] = {
      {.name = "scripts, styles, forms and foreign content go",
       .page = "<style>p{}</style><script>x()</script><svg><a>s</a></svg><input value=i>"
               "<select><option>o</select><p hidden>h</p>shown<iframe src=f></iframe>",
       .panel = "shown"},
      {.name = "attributes from the list only, style sheets and faces never",
       .page = "<p style='font-size:9999px' onclick=x() id=i align=CENTER>"
               "<font face=Whatever size=+2 color='#fa0'>t</font></p>",
       .panel = "<p align=\"CENTER\"><font color=\"#fa0\" size=\"+2\">t</font></p>"},
      {.name = "numbers clamped, spans dropped",
       .page = "<table border=99 cellpadding=999999999999 width=250%><tr>"
               "<td colspan=1000 rowspan=0 width=99999px>t</td></tr></table>",
       .panel = "<table width=\"100%\" border=\"64\" cellpadding=\"64\"><tr>"
                "<td width=\"10000\">t</td></tr></table>"},
      {.name = "values that are not what they claim go",
       .page =
           "<img src=\"a&quot;b.png\" width=wide height=-3 align=x><font color='red;x'>t</font>",
       .panel = "<img src=\"a&quot;b.png\"><font>t</font>"},
      {.name = "an address as long as the engine keeps",
       .page = "<img src=" + longest + "><img src=" + longest + "b>",
       .panel = "<img src=\"" + longest + "\"><img>"},
      {.name = "values read without the spaces around them",
       .page = "<img src=p.png width=' 50 ' height='\t40\n'><font color=' red '>t</font>",
       .panel = "<img src=\"p.png\" width=\"50\" height=\"40\"><font color=\"red\">t</font>"},
      {.name = "unknown tags unwrapped, sections become blocks",
       .page = "<custom-tag>a</custom-tag><section><mark>b</mark></section>",
       .panel = "a<div>b</div>"},
      {.name = "a fourth table flattened into its text",
       .page = "<table><tr><td><table><tr><td><table><tr><td><table><tr><td>x"
               "</td><td>y</td></tr></table></td></tr></table></td></tr></table></td></tr></table>",
       .panel = "<table><tr><td><table><tr><td><table><tr><td>  x y</td></tr></table></td></tr>"
                "</table></td></tr></table>"},
      {.name = "items outside a list unwrapped", .page = "<li>a</li><dd>b</dd>", .panel = " a b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(panelOf(c.page), "<html><body>" + c.panel + "</body></html>");
  }
}

// Cut at a cap, the page is cut there and every element opened is still closed.
TEST(PanelMarkup, CutsAtTheCapsAndStaysWellFormed) {
  const struct Case {
    const char* name;
    web::PanelCaps caps;
    std::string page;
    std::string panel;
  } cases[] = {
      {.name = "elements",
       .caps = {.elements = 4},
       .page = "<b>1</b><i>2</i><u>3</u>",
       .panel = "<html><body><b>1</b><i>2</i></body></html>"},
      {.name = "cells",
       .caps = {.cells = 1},
       .page = "<table><tr><td>a</td><td>b</td></tr></table><p>never</p>",
       .panel = "<html><body><table><tr><td>a</td></tr></table></body></html>"},
      {.name = "pictures",
       .caps = {.images = 1},
       .page = "<img src=a.png><img src=b.png>",
       .panel = "<html><body><img src=\"a.png\"></body></html>"},
      {.name = "text, at a whole character",
       .caps = {.textBytes = 5},
       .page = "<b>ab\xC3\xA9\xC3\xA9</b><i>never</i>",
       .panel = "<html><body><b>ab\xC3\xA9</b></body></html>"},
      {.name = "bytes, closing tags included",
       .caps = {.bytes = 45},
       .page = "<center><a title=t>some long text</a></center>",
       .panel = "<html><body><center></center></body></html>"},
      {.name = "depth",
       .caps = {.depth = 3},
       .page = "<div><b><i>x</i></b></div>",
       .panel = "<html><body><div>x</div></body></html>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const web::GumboTree tree(QByteArray::fromStdString(c.page));
    EXPECT_EQ(web::panelMarkup(tree.root(), c.caps), c.panel);
  }
}

QImage rendered(const QString& markup) {
  QTextDocument document;
  document.setDocumentMargin(10);
  document.setHtml(markup);
  document.setTextWidth(400);
  QImage image(420, 300, QImage::Format_RGB32);
  image.fill(Qt::gray);
  QPainter painter(&image);
  document.drawContents(&painter);
  return image;
}

// Ordinary pages look in a panel exactly as their own markup does.
TEST(PanelMarkup, OrdinaryPagesLookAsTheirOwnMarkup) {
  const struct Case {
    const char* name;
    const char* page;
  } cases[] = {
      {.name = "the written display page",
       .page = "<head></head><body bgcolor=orange><center><a title='Click for options'>"
               "<IMG border=0 src=\"http://site.example/pic.png\" width=120 height=80></a>"
               "</center></body>"},
      {.name = "a picture with text, a table and a list",
       .page = "<h1>Title</h1><p align=center>Some <b>bold</b> and <a href=x>linked</a> text.</p>"
               "<table border=1 cellpadding=4><tr><td>a</td><td bgcolor=yellow>b</td></tr></table>"
               "<ul><li>one<li>two<ol><li>three</ol></ul><blockquote>quoted</blockquote>"
               "<img src=p.png width=50 height=40><pre>  pre  formatted</pre>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto model = web::buildDocument(c.page, QUrl("http://site.example/page.html"));
    EXPECT_EQ(rendered(QString::fromStdString(model->panelMarkup)),
              rendered("<html>" + QString::fromStdString(model->innerHTML) + "</html>"));
  }
}

}  // namespace
