// quorel-inspect: loads an address the way the work browser does and prints what the
// document model reports, as one JSON object (an array of them for several addresses).
#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "web/web_browser.h"

namespace {

QJsonObject describe(web::WebBrowser& browser, const QJsonArray& events) {
  platform::Document& document = browser.document();
  QJsonObject out;
  out["url"] = QString::fromStdString(document.url());
  out["events"] = events;
  QString text;
  try {
    text = QString::fromStdString(document.innerText());
  } catch (const std::exception&) {
  }
  out["innerText"] = text;
  QJsonArray images, links, frames;
  for (int i = 0; i < document.imageCount(); ++i) {
    const platform::ImageElement image = document.image(i);
    images.append(QJsonObject{{"src", QString::fromStdString(image.src)},
                              {"width", image.width},
                              {"height", image.height}});
  }
  for (int i = 0; i < document.linkCount(); ++i)
    links.append(QString::fromStdString(document.link(i)));
  for (int i = 0; i < document.frameCount(); ++i)
    frames.append(QString::fromStdString(document.frameLocation(i)));
  out["images"] = images;
  out["links"] = links;
  out["frames"] = frames;
  return out;
}

// One navigation on a fresh browser of the shared engine; failed: it ended in an error.
QJsonObject inspect(web::Engine& engine, const QString& address, bool* failed) {
  web::WebBrowser browser(engine);
  QJsonArray events;
  QEventLoop loop;
  QObject::connect(&browser, &web::WebBrowser::documentComplete, [&](const QString& url) {
    events.append(QJsonObject{{"type", "DocumentComplete"}, {"url", url}});
  });
  QObject::connect(&browser, &web::WebBrowser::navigateError,
                   [&](const QString& url, const QString&, qint32 status, bool* cancel) {
                     events.append(QJsonObject{
                         {"type", "NavigateError"}, {"url", url}, {"status", qint64(status)}});
                     *cancel = true;  // as the work browser does: no error page
                   });
  QObject::connect(&browser, &web::WebBrowser::loadFinished, [&](bool ok) {
    *failed = !ok;
    loop.quit();
  });
  browser.navigate(address);
  loop.exec();
  QJsonObject out = describe(browser, events);
  if (*failed) out["url"] = address;
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  web::EngineOptions options;
  if (!args.isEmpty() && args.first() == "--allow-private") {
    options.allowAllPrivateHosts = true;
    args.removeFirst();
  }
  if (args.isEmpty() || args.first().startsWith("--")) {
    std::fprintf(stderr, "usage: quorel-inspect [--allow-private] URL...\n");
    return 1;
  }
  // Several addresses are loaded one after another through one engine (and one parse
  // helper), and reported as an array.
  web::Engine engine(options);
  bool anyFailed = false;
  QJsonArray all;
  for (const QString& address : std::as_const(args)) {
    bool failed = false;
    all.append(inspect(engine, address, &failed));
    anyFailed = anyFailed || failed;
  }
  const QJsonDocument out =
      args.size() == 1 ? QJsonDocument(all.first().toObject()) : QJsonDocument(all);
  std::fputs(out.toJson(QJsonDocument::Indented).constData(), stdout);
  return anyFailed ? 2 : 0;
}
