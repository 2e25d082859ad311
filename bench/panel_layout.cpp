// How long a display panel's layout holds the UI thread, for ordinary and hostile pages: the
// page parsed into its model (not timed: the parse helper does it), then the panel's markup
// set, laid out at a panel's width and painted once, as the panel does. Prints each page's
// worst of five runs in CPU time of the thread (what a quiet machine's UI thread would wait;
// wall time on a shared machine is mostly waiting for a core) and the worst of all; with --raw
// also the page's own markup for the shapes that finish, to show what the caps save.
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_panel_layout [--raw]
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "web/document_model.h"
#include "web/visible_images.h"

namespace {

std::string times(int n, const std::string& text) {
  std::string out;
  out.reserve(text.size() * size_t(n));
  for (int i = 0; i < n; ++i) out += text;
  return out;
}

std::string nested(int depth, const std::string& open, const std::string& inner,
                   const std::string& close) {
  return "<body>" + times(depth, open) + inner + times(depth, close);
}

struct Page {
  const char* name;
  std::string markup;
  bool rawFinishes;  // the page's own markup lays out in reasonable time
};

std::vector<Page> pages() {
  const std::string cell = "<td>cell text</td>";
  const std::string row = "<tr>" + times(100, cell) + "</tr>";
  return {
      {"display page",
       "<body bgcolor=black><center><a title='Click for options'>"
       "<img border=0 src=pic.png width=640 height=480></a></center>",
       true},
      {"tables 10 deep", nested(10, "<table><tr><td>", "x", "</td></tr></table>"), true},
      {"tables 16 deep", nested(16, "<table><tr><td>", "x", "</td></tr></table>"), true},
      {"tables 30 deep", nested(30, "<table><tr><td>", "x", "</td></tr></table>"), false},
      {"tables 1000 deep", nested(1000, "<table><tr><td>", "x", "</td></tr></table>"), false},
      {"tables 3 deep, 2 cells each",
       nested(3, "<table border=1><tr><td>a b c</td><td>", "x", "</td></tr></table>"), true},
      {"tables 3 deep, full rows, spans",
       nested(3, "<table border=1 cellpadding=64><tr>" + times(40, cell) + "<td>", "x",
              "</td></tr></table>") +
           times(60,
                 "<table><tr>" + times(30, "<td colspan=16 rowspan=16>x</td>") + "</tr></table>"),
       false},
      {"lists 1000 deep", nested(1000, "<ul><li>", "x", "</li></ul>"), false},
      {"quotes 1000 deep", nested(1000, "<blockquote>", "x", "</blockquote>"), false},
      {"fonts 1000 deep", nested(1000, "<font size=7><b><i>", "x", "</i></b></font>"), false},
      {"one 5 MB line", "<body>" + std::string(5 * 1024 * 1024, 'a'), false},
      {"5 MB of words", "<body>" + times(1024 * 1024, "word "), false},
      {"5 MB of 7-size headings",
       "<body>" + times(1024 * 1024 / 4, "<h1><font size=7>w w</font></h1>"), false},
      {"tables of 4 cells, many",
       "<body>" +
           times(2000,
                 "<table "
                 "border=1><tr><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr></table>"),
       false},
      {"divs, many", "<body>" + times(5000, "<div>a</div>"), false},
      {"100,000 cells", "<body><table>" + times(1000, row) + "</table>", false},
      {"100,000 images", "<body>" + times(100000, "<img src=a.png width=9999 height=9999>"), false},
  };
}

double threadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The panel's work for one markup: set, laid out at the panel's width, painted.
double layoutMs(const QString& markup) {
  const double start = threadCpuMs();
  QTextDocument document;
  document.setDocumentMargin(10);
  // Pictures are drawn by the panel's own handler; none is at hand here (still loading).
  web::VisibleImages images(
      {[](const QString&) { return QSize(); }, [](const QString&, const QRect&, auto) {},
       [] { return QRectF(0, 0, 400, 300); }, [](const QString&) {}, [] { return 1.0; }, [] {}});
  document.documentLayout()->registerHandler(QTextFormat::ImageObject, &images);
  document.setHtml(markup);
  document.setTextWidth(400);
  (void)document.size();
  QImage canvas(400, 300, QImage::Format_RGB32);
  QPainter painter(&canvas);
  document.drawContents(&painter, QRectF(0, 0, 400, 300));
  return threadCpuMs() - start;
}

double worstOfFive(const std::function<double()>& run) {
  double worst = 0;
  for (int i = 0; i < 5; ++i) worst = std::max(worst, run());
  return worst;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const bool raw = argc > 1 && std::strcmp(argv[1], "--raw") == 0;
  (void)layoutMs("<b>fonts loaded</b>");  // once per program, not per panel
  double worst = 0;
  const char* worstName = "";
  for (const Page& page : pages()) {
    const auto model = web::buildDocument(QByteArray::fromStdString(page.markup),
                                          QUrl("http://bench.example/page.html"));
    const QString markup = QString::fromStdString(model->panelMarkup);
    const double ms = worstOfFive([&] { return layoutMs(markup); });
    std::printf("%-28s %8.1f KB in, %6.1f KB to the panel, laid out in %7.2f ms", page.name,
                page.markup.size() / 1024.0, model->panelMarkup.size() / 1024.0, ms);
    if (raw && page.rawFinishes) {
      const QString own = "<html>" + QString::fromStdString(model->innerHTML) + "</html>";
      std::printf(" (own markup: %.1f ms)", layoutMs(own));
    }
    std::printf("\n");
    if (ms > worst) worst = ms, worstName = page.name;
  }
  std::printf("worst panel layout: %.2f ms (%s)\n", worst, worstName);
  return 0;
}
