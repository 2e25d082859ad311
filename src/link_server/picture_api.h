// The picture source behind the search gateway: a MediaWiki API searched for files
// (Wikimedia Commons by default), asked one request at a time within a budget, answering with
// thumbnails of a standard width and each file's categories.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <array>
#include <deque>
#include <functional>

#include "link_server/api_pacing.h"
#include "link_server/server_log.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace link_server {

class FamilyFilter;

struct Picture {
  QString address;  // the thumbnail, http or https
  QString page;     // the file's description page
  QString title;    // the file's name without "File:"
};

struct PictureAnswer {
  bool ok = false;  // false: the API could not be asked or gave no usable reply
  QList<Picture> pictures;
  int dropped = 0;  // results the family filter left out
};

// The widths the image servers make thumbnails in; any other is refused.
inline constexpr std::array kThumbSteps{20, 40, 60, 120, 250, 330, 500, 960, 1280, 1920, 3840};
inline constexpr int kDefaultThumbWidth = 960;
inline constexpr int kPicturesAsked = 50;  // enough that a filtered answer still has pictures

bool IsThumbStep(int width);

// The API request for a phrase: files with their thumbnails at `thumbWidth` and their visible
// categories, in one request.
QUrl PictureQuery(const QUrl& api, const QString& phrase, int thumbWidth);

struct ParseRules {
  int thumbWidth = kDefaultThumbWidth;
  const FamilyFilter* filter = nullptr;  // none: nothing is left out for its subject
};
// The API's JSON reply: the JPEG, PNG and GIF thumbnails no wider than the step asked for, on
// public hosts, in the search's order. An "error" member or JSON that does not parse is a
// failure; a reply without results is an empty success.
PictureAnswer ParsePictures(const QByteArray& json, const ParseRules& rules);

// "Quorel-vendor/VERSION (CONTACT) Qt/VERSION", CONTACT the operator's or the project's page.
QByteArray UserAgent(const QString& contact);

class PictureApi : public QObject {
 public:
  struct Options {
    int timeoutMs = 15'000;   // without a byte
    int deadlineMs = 20'000;  // for the whole answer, however it trickles
    qint64 maxReplyBytes = 4 * 1024 * 1024;
    int thumbWidth = kDefaultThumbWidth;
    int perMinute = 20;
    QString contact;  // empty: the project's page
    const FamilyFilter* filter = nullptr;
    LogSink log;  // stderr when empty
  };
  PictureApi(QUrl api, Options options, QObject* parent = nullptr);
  explicit PictureApi(QUrl api, QObject* parent = nullptr)
      : PictureApi(std::move(api), {}, parent) {}
  ~PictureApi() override;

  // Whether a new phrase would be asked now: not paused and within the budget, counting the
  // phrases already waiting.
  bool canAsk();
  // Asks the API; done() follows from the event loop, with a failure when a pause or the
  // budget stops the request. The API is never asked twice at once.
  void find(const QString& phrase, std::function<void(const PictureAnswer&)> done);
  int waiting() const { return static_cast<int>(queue_.size()); }

 private:
  struct Job {
    QString phrase;
    std::function<void(const PictureAnswer&)> done;
  };
  void next();
  void finished(QNetworkReply* reply);
  void pause(std::optional<qint64> retryAfterMs, const QString& why);
  void failQueued();
  void log(const QString& line) const;
  qint64 now() const { return clock_.elapsed(); }

  QUrl api_;
  Options options_;
  QNetworkAccessManager* network_;
  std::deque<Job> queue_;
  bool busy_ = false;
  ApiPacing pacing_;
  QElapsedTimer clock_;
};

}  // namespace link_server
