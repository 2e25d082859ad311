// DisplayView: a display browser's document on screen, images from the engine's cache.
#include <QMouseEvent>
#include <QScrollBar>

#include "web/web_browser.h"

namespace web {

DisplayView::DisplayView(WebBrowser& browser, QWidget* parent) : QTextBrowser(parent), browser_(browser) {
  setFrameShape(QFrame::NoFrame);
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setTextInteractionFlags(Qt::NoTextInteraction);
  setContextMenuPolicy(Qt::PreventContextMenu);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  document()->setDocumentMargin(10);
  browser_.setKeepsDecodedImages(true);
  connect(&browser_, &WebBrowser::documentChanged, this, &DisplayView::render);
  render();
}

void DisplayView::render() {
  std::string html;
  try {
    html = browser_.document().innerHTML();
  } catch (const std::exception&) {
    clear();  // a cleared document has nothing to show
    return;
  }
  document()->setBaseUrl(QUrl(QString::fromStdString(browser_.document().url())));
  setHtml("<html>" + QString::fromStdString(html) + "</html>");
}

QVariant DisplayView::loadResource(int type, const QUrl& name) {
  // Only images, only from the network through the engine: never a file, never a style sheet.
  if (type != QTextDocument::ImageResource) return {};
  const QUrl base(QString::fromStdString(browser_.document().url()));
  const QUrl address = base.resolved(name);
  const QString key = address.toString(QUrl::FullyEncoded);
  Engine& engine = browser_.engine();
  const QImage image = engine.decodedImage(key);
  if (!image.isNull()) return image;
  if (engine.refusal(address) == 0) engine.fetchDecoded(key, this, [this] { render(); });
  return {};
}

void DisplayView::mouseReleaseEvent(QMouseEvent* event) {
  // The page's own default action (following the link around the image) never runs.
  if (event->button() == Qt::LeftButton) browser_.click();
  event->accept();
}

}  // namespace web
