// One browser control of our document engine: it navigates, holds the current document and
// raises the control's events. The Engine it shares with the others is in web/engine.h, the
// widget that shows its document in web/display_view.h.
//
// [X] http/https navigation (system proxy, redirects, cookies, gzip, deadline, size caps)
// [X] HTML, image and plain-text documents; charset from header, BOM or meta
// [X] documentElement innerHTML/innerText, images with laid-out sizes, links, frames
// [X] image sizes from the first bytes, probed in parallel before DocumentComplete
// [X] framesets: one DocumentComplete per frame, then one for the page
// [X] display rendering of only what can be seen, decoded from the engine's copy of the picture
// [X] pictures decoded on a worker after a look at the header (40 MP cap, the size window)
// [ ] layout: sizes come from attributes and image headers, never from CSS
// [ ] scripts, plug-ins, iframes' contents: never run or loaded
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "platform/document.h"
#include "web/engine.h"

namespace web {

class WebBrowser : public QObject {
  Q_OBJECT
 public:
  explicit WebBrowser(Engine& engine, QObject* parent = nullptr);
  ~WebBrowser() override;

  // Who chose an address: a page, or the program itself, whose navigations alone may use the
  // engine's allow-list of private hosts (the link server).
  enum class Origin { Page, Program };
  // Starts loading; returns at once. Events follow from the event loop.
  void navigate(const QString& url, Origin origin = Origin::Page);
  // Stops everything in flight; no event follows for it.
  void quit();
  platform::Document& document();
  // The document as a display panel lays it out (web/panel_markup.h); throws like innerHTML
  // when there is none.
  std::string panelMarkup() const;
  Engine& engine();

  // Display browsers keep the picture they navigate to, for their panel to decode.
  void setKeepsPictures(bool on);
  // Raises the document's onclick; false when the handler cancelled the default action.
  bool click();

 signals:
  // Once per frame (its address) and once for the page.
  void documentComplete(const QString& url);
  // *cancel starts false; the handler may set it.
  void navigateError(const QString& url, const QString& frame, qint32 status, bool* cancel);
  // A page asked for a new window (our engine runs no script, so this stays rare).
  void newWindowRequested(bool* cancel);
  // The document's content changed (loaded, written or cleared): views re-render.
  void documentChanged();
  // The navigation is over: after the page's DocumentComplete or its NavigateError.
  void loadFinished(bool ok);

 private:
  struct Private;
  std::unique_ptr<Private> d;
};

}  // namespace web
