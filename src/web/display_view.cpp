// DisplayView: a display browser's document on screen, images from the engine's cache.
#include "web/display_view.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>

#include "web/visible_images.h"

namespace web {

DisplayView::DisplayView(WebBrowser& browser, QWidget* parent)
    : QTextBrowser(parent),
      browser_(browser),
      images_(new VisibleImages(
          {[this](const QString& name) { return pictureSize(name); },
           [this](const QString& name, const QRect& part, auto done) {
             browser_.engine().decodePart(addressOf(name), part, images_, std::move(done));
           },
           [this] { return reachableArea(); },
           [this](const QString& name) { browser_.engine().releasePicture(addressOf(name)); },
           [this] { return devicePixelRatioF(); }, [this] { viewport()->update(); }},
          this)) {
  setFrameShape(QFrame::NoFrame);
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setTextInteractionFlags(Qt::NoTextInteraction);
  setContextMenuPolicy(Qt::PreventContextMenu);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  document()->setDocumentMargin(10);
  document()->documentLayout()->registerHandler(QTextFormat::ImageObject, images_);
  browser_.setKeepsPictures(true);
  connect(&browser_, &WebBrowser::documentChanged, this, &DisplayView::render);
  render();
}

void DisplayView::render() {
  // Never the page's own markup: Qt's layout of nested tables can outlast the program.
  std::string markup;
  try {
    markup = browser_.panelMarkup();
  } catch (const std::exception&) {
    clear();  // a cleared document has nothing to show
    images_->keepOnly({});
    return;
  }
  document()->setBaseUrl(QUrl(QString::fromStdString(browser_.document().url())));
  setHtml(QString::fromStdString(markup));
  // Pictures of the previous document are let go at once, not when the panel is next used.
  QSet<QString> shown;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      if (format.isImageFormat()) shown.insert(format.toImageFormat().name());
    }
  }
  images_->keepOnly(shown);
}

QVariant DisplayView::loadResource(int, const QUrl&) {
  // Images are drawn by VisibleImages; nothing else (style sheets, files) is ever loaded.
  return {};
}

QString DisplayView::addressOf(const QString& name) const {
  const QUrl base(QString::fromStdString(browser_.document().url()));
  return base.resolved(QUrl(name)).toString(QUrl::FullyEncoded);
}

QSize DisplayView::pictureSize(const QString& name) {
  // Only from the network through the engine, never a file.
  const QString key = addressOf(name);
  Engine& engine = browser_.engine();
  const QSize size = engine.cachedSize(key);
  if (size.isValid()) return size;
  if (engine.refusal(QUrl(key)) == 0) engine.fetchPicture(key, this, [this] { render(); });
  return {};
}

QRectF DisplayView::reachableArea() const {
  // The viewport inside every ancestor up to the window: panels above it may move away, the
  // window's edges do not.
  const QWidget* port = viewport();
  QRect area = port->rect();
  for (const QWidget* up = port->parentWidget(); up;
       up = up->isWindow() ? nullptr : up->parentWidget())
    area &= QRect(port->mapFrom(up, QPoint(0, 0)), up->size());
  return QRectF(area.translated(horizontalScrollBar()->value(), verticalScrollBar()->value()));
}

void DisplayView::hideEvent(QHideEvent* event) {
  QTextBrowser::hideEvent(event);
  // Hidden by the program, not with its window: shown again only with another page.
  if (!isVisibleTo(window())) images_->dropPixels();
}

QRect DisplayView::keptPart(const QString& name) const { return images_->keptPart(name); }

void DisplayView::mouseReleaseEvent(QMouseEvent* event) {
  // The page's own default action (following the link around the image) never runs.
  if (event->button() == Qt::LeftButton) browser_.click();
  event->accept();
}

}  // namespace web
