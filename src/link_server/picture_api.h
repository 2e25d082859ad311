// The picture source behind the search gateway: a MediaWiki API searched for files
// (Wikimedia Commons by default), asked one request at a time, answering with thumbnails.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <deque>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace vendor {

struct Picture {
  QString address;  // the thumbnail, http or https
  QString page;     // the file's description page
  QString title;    // the file's name without "File:"
};

struct PictureAnswer {
  bool ok = false;  // false: the API could not be asked or gave no usable reply
  QList<Picture> pictures;
};

inline constexpr int kMaxPictureWidth = 1024;
inline constexpr int kPicturesAsked = 40;

// The API request for a phrase.
QUrl PictureQuery(const QUrl& api, const QString& phrase);
// The API's JSON reply: the JPEG, PNG and GIF thumbnails at most kMaxPictureWidth wide, in the
// search's order. An "error" member or JSON that does not parse is a failure; a reply without
// results is an empty success.
PictureAnswer ParsePictures(const QByteArray& json);

class PictureApi : public QObject {
 public:
  struct Options {
    int timeoutMs = 15'000;
    qint64 maxReplyBytes = 4 * 1024 * 1024;
  };
  explicit PictureApi(QUrl api, Options options, QObject* parent = nullptr);
  explicit PictureApi(QUrl api, QObject* parent = nullptr)
      : PictureApi(std::move(api), {}, parent) {}
  ~PictureApi() override;

  // Asks the API; done() follows from the event loop. Requests wait their turn: the API is
  // never asked twice at once.
  void find(const QString& phrase, std::function<void(const PictureAnswer&)> done);
  int waiting() const { return static_cast<int>(queue_.size()); }
  const QUrl& api() const { return api_; }

 private:
  struct Job {
    QString phrase;
    std::function<void(const PictureAnswer&)> done;
  };
  void next();
  void finished(QNetworkReply* reply);

  QUrl api_;
  Options options_;
  QNetworkAccessManager* network_;
  std::deque<Job> queue_;
  bool busy_ = false;
};

}  // namespace vendor
