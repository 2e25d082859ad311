// The widget that shows a display browser's document. A left click raises the document's
// onclick; links are never followed and no file is ever read.
#pragma once

#include <QImage>
#include <QRect>
#include <QTextBrowser>

#include "web/web_browser.h"

namespace web {

class VisibleImages;

// Renders a browser's document; a left click raises the document's onclick. Links are
// never followed and no file is ever read: images come from the engine, and each decodes and
// keeps only its pixels that can be seen.
class DisplayView : public QTextBrowser {
  Q_OBJECT
 public:
  explicit DisplayView(WebBrowser& browser, QWidget* parent = nullptr);

  QVariant loadResource(int type, const QUrl& name) override;
  // The pixels kept for an image address as written in the document, in its own coordinates.
  QRect keptPart(const QString& name) const;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void render();
  QString addressOf(const QString& name) const;
  QSize pictureSize(const QString& name);
  QRectF reachableArea() const;
  WebBrowser& browser_;
  VisibleImages* images_;
};

}  // namespace web
