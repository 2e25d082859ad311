// LinkServerWatch: a collage without its link server stays black, so when the work browser
// fails to reach the link server a few times in a row, one line on standard error says so and
// where to read more. Said once per run; a page from the link server starts the count afresh.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace web {
class WebBrowser;
}

namespace desktop {

class LinkServerWatch : public QObject {
 public:
  static constexpr int kTries = 3;
  // host: the link server's host[:port]; say: where the line goes (standard error if empty).
  LinkServerWatch(web::WebBrowser& browser, QString host,
                  std::function<void(const QString&)> say = {});

 private:
  bool fromLinkServer(const QString& url) const;

  QString host_;
  std::function<void(const QString&)> say_;
  int failures_ = 0;
  bool said_ = false;
};

}  // namespace desktop
