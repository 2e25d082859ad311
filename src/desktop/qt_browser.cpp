#include "desktop/qt_browser.h"

#include "desktop/guarded_call.h"

namespace desktop {

std::unique_ptr<QtBrowser> QtBrowser::create(web::Engine& engine, QWidget& parent,
                                             const platform::Screen& screen, View kind) {
  auto browser = std::make_unique<web::WebBrowser>(engine);
  // Owned by the parent widget.
  QWidget* view =
      kind == View::Rendered ? new web::DisplayView(*browser, &parent) : new QWidget(&parent);
  return std::unique_ptr<QtBrowser>(new QtBrowser(std::move(browser), *view, screen));
}

QtBrowser::QtBrowser(std::unique_ptr<web::WebBrowser> browser, QWidget& view,
                     const platform::Screen& screen)
    : TwipsControl(view, screen), browser_(std::move(browser)), view_(&view) {
  connectSignals();
}

QtBrowser::~QtBrowser() {
  // The view renders from the browser; it must not outlive it.
  browser_->disconnect();
  delete view_;
}

void QtBrowser::connectSignals() {
  QObject::connect(browser_.get(), &web::WebBrowser::documentComplete, browser_.get(),
                   [this](const QString& url) {
                     guardedCall("DocumentComplete", events_.documentComplete, url.toStdString());
                   });
  QObject::connect(browser_.get(), &web::WebBrowser::navigateError, browser_.get(),
                   [this](const QString& url, const QString& frame, qint32 status, bool* cancel) {
                     bool flag = cancel ? *cancel : false;
                     guardedCall("NavigateError", events_.navigateError, url.toStdString(),
                                 frame.toStdString(), static_cast<std::int32_t>(status), flag);
                     if (cancel) *cancel = flag;
                   });
  QObject::connect(browser_.get(), &web::WebBrowser::newWindowRequested, browser_.get(),
                   [this](bool* cancel) {
                     bool flag = cancel ? *cancel : false;
                     guardedCall("NewWindow2", events_.newWindow2, flag);
                     if (cancel) *cancel = flag;
                   });
}

void QtBrowser::navigate2(const std::string& url) {
  browser_->navigate(QString::fromStdString(url));
}

void QtBrowser::navigateOwn(const std::string& url) {
  browser_->navigate(QString::fromStdString(url), web::WebBrowser::Origin::Program);
}

void QtBrowser::quit() { browser_->quit(); }

platform::Document& QtBrowser::document() { return browser_->document(); }

}  // namespace desktop
