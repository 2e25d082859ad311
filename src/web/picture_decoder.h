// Pictures for the panels are decoded on a worker thread, one at a time, and only once their
// header has been read: a PNG of a hundred kilobytes may claim gigabytes of pixels. Only the
// part a panel shows is decoded (web/picture_part.h).
//
// - No picture decodes to more than kMaxPicturePixels; Qt's allocation limit is set to match.
// - A picture outside the panels' size window is not decoded at all: the logic hides such a
//   panel anyway. The window is asked on the UI thread, before a decode is started.
// - Results come back from the event loop on the asker's thread; when the asker is gone first,
//   the result is dropped and a decode not yet started never runs.
#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QThreadPool>
#include <functional>

#include "web/engine_limits.h"

namespace web {

class PictureDecoder : public QObject {
 public:
  explicit PictureDecoder(QObject* parent = nullptr);
  ~PictureDecoder() override;

  // The sizes (as shown) a panel would show; every size while none is set.
  void setPanelSizeWindow(std::function<bool(QSize)> accepts);
  // Within the cap and the window: worth decoding for a panel.
  bool panelAccepts(QSize shown) const;

  // Decodes part of a picture (in its shown coordinates). done(pixels) runs from the event
  // loop unless context is destroyed first: null pixels when the bytes are no picture, are
  // broken, or declare more than kMaxPicturePixels.
  void decode(const QByteArray& bytes, const QRect& part, QObject* context,
              std::function<void(const QImage& pixels)> done);

 private:
  QThreadPool pool_;
  std::function<bool(QSize)> window_;
};

}  // namespace web
