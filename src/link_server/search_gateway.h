// The image-search gateway: answers the three search addresses the program asks for with a
// results page of "/imgres?imgurl=HOST/PATH&imgrefurl=PAGE" links, from the picture source's
// answer for the phrase. Answers are kept for an hour, within a byte bound; a phrase is asked
// for once at a time, by a bounded number of waiters; when the source may not be asked (paused,
// out of budget, busy) a search is answered at once, from the cache or without pictures.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "link_server/picture_api.h"
#include "link_server/server_pages.h"

namespace link_server {

// The phrase of a search address (one of kSearchForms, core/search_forms.h), "+" read as a
// space; nothing for any other address.
std::optional<QString> SearchPhrase(const QString& path, const QByteArray& query);

// The results page: a link for every picture, then links to a few of their pages.
QByteArray ResultsPage(const QString& phrase, const QList<Picture>& pictures);

class SearchGateway : public QObject {
 public:
  struct Options {
    qint64 keepMs = 60 * 60 * 1000;    // an answer serves the same phrase this long
    qint64 keepFailureMs = 60 * 1000;  // a failure is not retried sooner
    int waitMs = 10'000;          // a client gets an empty page before its own patience (15 s) ends
    int maxWaiting = 16;          // phrases queued for the source; beyond, empty pages
    int maxWaitersPerPhrase = 8;  // clients waiting for one phrase; beyond, empty pages
    int maxCached = 4096;
    qint64 maxCachedBytes = 32 * 1024 * 1024;
  };
  SearchGateway(PictureApi& api, Options options, QObject* parent = nullptr);
  explicit SearchGateway(PictureApi& api, QObject* parent = nullptr)
      : SearchGateway(api, {}, parent) {}

  // For a search address, a response to be given later (Response::later); else nothing.
  std::optional<Response> route(const QString& path, const QByteArray& query);
  // Calls reply once with the results page, at once from the cache or when the source answers.
  void answer(const QString& phrase, std::function<void(const Response&)> reply);

 private:
  struct Kept {
    PictureAnswer answer;
    qint64 until = 0;
    qint64 bytes = 0;
  };
  void store(const QString& key, const PictureAnswer& answer);
  void evict(qint64 now);

  PictureApi& api_;
  Options options_;
  QHash<QString, Kept> cache_;
  qint64 cachedBytes_ = 0;
  QHash<QString, QList<std::function<void(const PictureAnswer&)>>> asking_;
};

}  // namespace link_server
