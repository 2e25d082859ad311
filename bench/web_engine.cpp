// Document engine figures: parse-and-model throughput over real pages and over the worst
// markup we accept, bytes read per image sized, and the memory of eleven loaded browsers.
// Run by hand: build/bench_web_engine [folder of .html pages, default the Debian Reference].
#include <gumbo.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>
#include <vector>

#include "web/document_model.h"
#include "web/image_probe.h"
#include "web/web_browser.h"

namespace {

template <typename Predicate>
bool waitFor(Predicate done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(1);
  }
  return true;
}

long rssKiB() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  }
  return -1;
}

double parseSeconds(const QByteArray& markup, int rounds) {
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < rounds; ++i) {
    auto model = web::buildDocument(markup, QUrl("http://bench.example/page.html"));
    if (model->innerHTML.empty()) std::puts("empty?");
  }
  return timer.nsecsElapsed() / 1e9;
}

// The HTML5 parser alone, tree built and freed, for comparison with the whole model.
double gumboSeconds(const QByteArray& markup, int rounds) {
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < rounds; ++i) {
    GumboOutput* output =
        gumbo_parse_with_options(&kGumboDefaultOptions, markup.constData(), size_t(markup.size()));
    gumbo_destroy_output(&kGumboDefaultOptions, output);
  }
  return timer.nsecsElapsed() / 1e9;
}

void throughput(const QStringList& pages) {
  qint64 bytes = 0;
  double seconds = 0, parserSeconds = 0;
  for (const QString& path : pages) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QByteArray markup = file.readAll();
    const int rounds = 5;
    seconds += parseSeconds(markup, rounds);
    parserSeconds += gumboSeconds(markup, rounds);
    bytes += markup.size() * rounds;
  }
  std::printf(
      "real pages: %d files, %.1f MB parsed, %.1f MB/s (the HTML5 parser alone: %.1f MB/s)\n",
      int(pages.size()), bytes / 1e6, bytes / 1e6 / seconds, bytes / 1e6 / parserSeconds);

  const qint64 cap = 8 * 1024 * 1024;
  auto repeat = [cap](const QByteArray& prefix, const QByteArray& unit) {
    QByteArray out = prefix;
    while (out.size() + unit.size() <= cap) out += unit;
    return out;
  };
  const struct {
    const char* name;
    QByteArray markup;
  } hostile[] = {
      {"8 MiB of <div> (nesting guard)", repeat({}, "<div>")},
      {"512 open <div> + 8 MiB <div></div>",
       repeat(QByteArray("<div>").repeated(512), "<div></div>")},
      {"8 MiB of <b><i><u> unclosed", repeat({}, "<b><i><u>x")},
      {"8 MiB of <table><tr><td>", repeat({}, "<table><tr><td>")},
      {"8 MiB of <a href=x>", repeat({}, "<a href=x>y")},
      {"8 MiB of text", repeat({}, "word ")},
  };
  for (const auto& h : hostile) {
    const double s = parseSeconds(h.markup, 1);
    std::printf("worst case: %-40s %.2f s (%.1f MB/s)\n", h.name, s, h.markup.size() / 1e6 / s);
  }
}

struct Server {
  QProcess process;
  quint16 port = 0;
  bool start(const QString& folder) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    port = probe.serverPort();
    probe.close();
    process.setWorkingDirectory(folder);
    process.start("python3", {"-m", "http.server", QString::number(port), "--bind", "127.0.0.1"});
    if (!process.waitForStarted()) return false;
    QTcpSocket socket;
    return waitFor(
        [&] {
          socket.connectToHost(QHostAddress::LocalHost, port);
          return socket.waitForConnected(100);
        },
        10000);
  }
  ~Server() {
    process.terminate();
    process.waitForFinished(3000);
  }
  QString url(const QString& path) const {
    return QString("http://127.0.0.1:%1/%2").arg(port).arg(path);
  }
};

void bytesPerImage(web::Engine& engine) {
  QTemporaryDir dir;
  QImage noise(2000, 1500, QImage::Format_RGB32);
  for (int y = 0; y < noise.height(); ++y) {
    for (int x = 0; x < noise.width(); ++x)
      noise.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x ^ y) % 256));
  }
  const char* formats[] = {"jpg", "png", "bmp", "webp"};
  for (const char* format : formats) noise.save(dir.filePath(QString("big.") + format), format, 90);
  Server server;
  if (!server.start(dir.path())) {
    std::puts("bytes per image: python3 http.server not available");
    return;
  }
  for (const char* format : formats) {
    const QString name = QString("big.") + format;
    web::SizeProbe probe(engine, server.url(name));
    bool done = false;
    QObject::connect(&probe, &web::SizeProbe::done, [&] { done = true; });
    probe.start();
    if (!waitFor([&] { return done; }, 10000)) continue;
    std::printf("bytes per image: %-5s %7lld of %9lld bytes read for %dx%d\n", format,
                (long long)probe.bytesRead(), (long long)QFileInfo(dir.filePath(name)).size(),
                probe.size().width(), probe.size().height());
  }
}

void elevenBrowsers(web::Engine& engine, const QString& folder, const QStringList& pages) {
  Server server;
  if (pages.isEmpty() || !server.start(folder)) return;
  const long before = rssKiB();
  std::vector<std::unique_ptr<web::WebBrowser>> browsers;
  int finished = 0;
  for (int i = 0; i < 11; ++i) {
    browsers.push_back(std::make_unique<web::WebBrowser>(engine));
    QObject::connect(browsers.back().get(), &web::WebBrowser::loadFinished, [&] { ++finished; });
    browsers.back()->navigate(server.url(QFileInfo(pages[i % pages.size()]).fileName()));
  }
  (void)waitFor([&] { return finished == 11; }, 60000);
  qint64 held = 0;
  for (auto& browser : browsers) held += qint64(browser->document().innerHTML().size());
  std::printf("eleven browsers: %d loaded, %.1f MB of markup held, RSS %+.1f MB (%.1f MB total)\n",
              finished, held / 1e6, (rssKiB() - before) / 1024.0, rssKiB() / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString folder = argc > 1 ? QString(argv[1]) : QString("/usr/share/debian-reference");
  QStringList pages;
  for (const QString& name : QDir(folder).entryList({"*.html"}, QDir::Files, QDir::Name))
    pages << folder + "/" + name;
  pages.removeIf([](const QString& p) { return QFileInfo(p).isSymLink(); });
  web::EngineOptions options;
  options.allowAllPrivateHosts = true;
  web::Engine engine(options);
  // Memory first, before the parse runs below grow the heap.
  QStringList chapters = pages;
  chapters.removeIf([](const QString& p) { return !QFileInfo(p).fileName().startsWith("ch"); });
  elevenBrowsers(engine, folder, chapters);
  bytesPerImage(engine);
  throughput(pages);
  return 0;
}
