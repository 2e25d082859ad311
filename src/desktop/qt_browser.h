// QtBrowser: a browser control on our engine: a web::WebBrowser that loads, and a
// web::DisplayView that shows its document, placed in twips; engine signals become the
// browser events the logic handles.
//
// [X] navigate2 (and navigateOwn, which may reach the link server), quit, document, silent,
// geometry/visibility/z-order/container [X] DocumentComplete, NavigateError (with its cancel flag),
// NewWindow2 (refusable) [X] an unseen browser (the work browser) renders nothing [ ] dialogs of
// the page's own (our engine shows none, so silent changes nothing)
#pragma once

#include <QPointer>
#include <memory>

#include "desktop/twips_control.h"
#include "platform/browser.h"
#include "web/display_view.h"

namespace desktop {

class QtBrowser : public TwipsControl, public platform::Browser {
 public:
  // Rendered: the page is shown (display browsers). Unseen: a blank stand-in, so a browser
  // that is never looked at (the work browser) neither lays out nor fetches page images.
  enum class View { Rendered, Unseen };
  // The view is made as a child of parent; the engine must outlive the browser.
  static std::unique_ptr<QtBrowser> create(web::Engine& engine, QWidget& parent,
                                           const platform::Screen& screen,
                                           View kind = View::Rendered);
  ~QtBrowser() override;

  void navigate2(const std::string& url) override;
  void navigateOwn(const std::string& url) override;
  bool silent() const override { return silent_; }
  void setSilent(bool silent) override { silent_ = silent; }
  void quit() override;
  platform::Document& document() override;
  void setEvents(Events events) override { events_ = std::move(events); }

  web::WebBrowser& webBrowser() { return *browser_; }
  QWidget& view() { return *view_; }

 private:
  QtBrowser(std::unique_ptr<web::WebBrowser> browser, QWidget& view,
            const platform::Screen& screen);
  void connectSignals();

  std::unique_ptr<web::WebBrowser> browser_;
  QPointer<QWidget> view_;
  bool silent_ = false;
  Events events_;
};

}  // namespace desktop
