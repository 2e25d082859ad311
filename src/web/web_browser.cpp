#include "web/web_browser.h"

#include <QMouseEvent>
#include <QTimer>

#include "platform/run_time_error.h"

// A stand-in until the engine lands: every navigation completes with an empty document.

namespace web {
namespace {

class EmptyDocument : public platform::Document {
 public:
  std::string innerHTML() override { return html; }
  std::string innerText() override { return {}; }
  int imageCount() override { return 0; }
  platform::ImageElement image(int) override { throw platform::objectNotSet(); }
  int linkCount() override { return 0; }
  std::string link(int) override { return {}; }
  int frameCount() override { return 0; }
  std::string frameLocation(int) override { return {}; }
  std::string url() override { return address; }
  void close() override {}
  void clear() override { html.clear(); }
  void write(const std::string& markup) override { html = markup; }
  void setOnClick(std::function<bool()> handler) override { onClick = std::move(handler); }
  std::string html, address;
  std::function<bool()> onClick;
};

}  // namespace

Engine::Engine(EngineOptions options, QObject* parent) : QObject(parent), options_(std::move(options)) {}
Engine::~Engine() = default;

struct WebBrowser::Private {
  EmptyDocument document;
};

WebBrowser::WebBrowser(Engine&, QObject* parent) : QObject(parent), d(std::make_unique<Private>()) {}
WebBrowser::~WebBrowser() = default;

void WebBrowser::navigate(const QString& url) {
  d->document.address = url.toStdString();
  QTimer::singleShot(0, this, [this, url] {
    emit documentChanged();
    emit documentComplete(url);
  });
}

void WebBrowser::quit() {}
platform::Document& WebBrowser::document() { return d->document; }

DisplayView::DisplayView(WebBrowser& browser, QWidget* parent) : QTextBrowser(parent), browser_(browser) {
  setFrameShape(QFrame::NoFrame);
  connect(&browser_, &WebBrowser::documentChanged, this, &DisplayView::render);
}

void DisplayView::render() { setHtml(QString::fromStdString(browser_.document().innerHTML())); }

void DisplayView::mouseReleaseEvent(QMouseEvent* event) { QTextBrowser::mouseReleaseEvent(event); }

}  // namespace web
