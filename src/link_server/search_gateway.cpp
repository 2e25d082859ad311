#include "link_server/search_gateway.h"

#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <utility>

#include "core/search_forms.h"

namespace link_server {
namespace {

constexpr int kPageLinks = 3;

// The value of the first NAME=... pair of a form-encoded query, if there is one.
std::optional<QString> queryValue(const QByteArray& query, const QByteArray& name) {
  for (const QByteArray& pair : query.split('&')) {
    if (pair.startsWith(name + '=')) return FormDecode(pair.mid(name.size() + 1));
  }
  return std::nullopt;
}

QString withoutScheme(const QString& address) { return address.mid(address.indexOf(u"://") + 3); }

}  // namespace

std::optional<QString> SearchPhrase(const QString& path, const QByteArray& query) {
  const SearchForm* form = FindSearchForm(path.toStdString());
  if (!form) return std::nullopt;
  return queryValue(query, QByteArray(form->phraseName.data(), qsizetype(form->phraseName.size())));
}

QByteArray ResultsPage(const QString& phrase, const QList<Picture>& pictures) {
  const QString shown = phrase.toHtmlEscaped();
  QString html = QStringLiteral(
                     "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                     "<title>%1 - pictures</title></head>\n<body>\n<h1>Pictures of %1</h1>\n")
                     .arg(shown);
  if (pictures.isEmpty()) html += QStringLiteral("<p>No pictures found.</p>\n");
  html += QStringLiteral("<ol>\n");
  for (const Picture& picture : pictures) {
    // The picture's address stays as it is, scheme dropped: the program takes it up to the "&".
    html += QStringLiteral("<li><a href=\"/imgres?imgurl=%1&amp;imgrefurl=%2\">%3</a></li>\n")
                .arg(withoutScheme(picture.address).toHtmlEscaped(),
                     QString::fromLatin1(QUrl::toPercentEncoding(picture.page, ":/%")),
                     picture.title.toHtmlEscaped());
  }
  html += QStringLiteral("</ol>\n");
  if (!pictures.isEmpty()) {
    html += QStringLiteral("<p>Where they come from:");
    for (qsizetype i = 0; i < std::min<qsizetype>(pictures.size(), kPageLinks); ++i) {
      const QUrl page(pictures[i].page, QUrl::StrictMode);
      if (!page.isValid() || (page.scheme() != u"http" && page.scheme() != u"https")) continue;
      html += QStringLiteral(" <a href=\"%1\">%2</a>")
                  .arg(page.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                       pictures[i].title.toHtmlEscaped());
    }
    html += QStringLiteral("</p>\n");
  }
  html += QStringLiteral("</body></html>\n");
  return html.toUtf8();
}

SearchGateway::SearchGateway(PictureApi& api, Options options, QObject* parent)
    : QObject(parent), api_(api), options_(options) {}

std::optional<Response> SearchGateway::route(const QString& path, const QByteArray& query) {
  const std::optional<QString> phrase = SearchPhrase(path, query);
  if (!phrase) return std::nullopt;
  Response response;
  response.later = [this, phrase = *phrase](std::function<void(const Response&)> reply) {
    answer(phrase, std::move(reply));
  };
  return response;
}

void SearchGateway::answer(const QString& phrase, std::function<void(const Response&)> reply) {
  const QString key = phrase.simplified().toLower();
  const auto page = [phrase](const PictureAnswer& answer) {
    Response response;
    response.body = ResultsPage(phrase, answer.pictures);
    return response;
  };
  if (key.isEmpty()) {
    reply(page({}));
    return;
  }
  const auto kept = cache_.constFind(key);
  const bool known = kept != cache_.constEnd();
  if (known && kept->until > QDateTime::currentMSecsSinceEpoch()) {
    reply(page(kept->answer));
    return;
  }
  const auto waiters = asking_.find(key);
  const bool asked = waiters != asking_.end();
  if (asked ? waiters->size() >= options_.maxWaitersPerPhrase
            : api_.waiting() >= options_.maxWaiting || !api_.canAsk()) {
    // An older answer beats none while the source rests.
    reply(page(known ? kept->answer : PictureAnswer{}));
    return;
  }
  // Whichever comes first, the source's answer or the client's patience, answers it.
  auto once = std::make_shared<std::function<void(const Response&)>>(std::move(reply));
  QTimer::singleShot(options_.waitMs, this, [once, page] {
    if (auto send = std::exchange(*once, nullptr)) send(page({}));
  });
  asking_[key].append([once, page](const PictureAnswer& answer) {
    if (auto send = std::exchange(*once, nullptr)) send(page(answer));
  });
  if (asked) return;
  // A mined phrase may start or end with a space: the source is asked for the words alone.
  api_.find(phrase.simplified(), [this, key](const PictureAnswer& answer) {
    store(key, answer);
    for (const auto& waiter : asking_.take(key)) waiter(answer);
  });
}

void SearchGateway::store(const QString& key, const PictureAnswer& answer) {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (const auto old = cache_.constFind(key); old != cache_.constEnd()) {
    // A failure does not push out the last good answer, which serves during pauses.
    if (!answer.ok && old->answer.ok) return;
    cachedBytes_ -= old->bytes;
    cache_.erase(old);
  }
  qint64 bytes = 64 + 2 * key.size();
  for (const Picture& picture : answer.pictures)
    bytes += 64 + 2 * (picture.address.size() + picture.page.size() + picture.title.size());
  cache_.insert(key, {answer, now + (answer.ok ? options_.keepMs : options_.keepFailureMs), bytes});
  cachedBytes_ += bytes;
  evict(now);
}

void SearchGateway::evict(qint64 now) {
  const auto over = [this] {
    return cache_.size() > options_.maxCached || cachedBytes_ > options_.maxCachedBytes;
  };
  if (!over()) return;
  for (auto it = cache_.begin(); it != cache_.end();) {
    if (it->until > now) {
      ++it;
      continue;
    }
    cachedBytes_ -= it->bytes;
    it = cache_.erase(it);
  }
  // Then the answers nearest their end, failures first as they are kept for less.
  while (over() && !cache_.isEmpty()) {
    auto soonest = std::min_element(cache_.begin(), cache_.end(),
                                    [](const Kept& a, const Kept& b) { return a.until < b.until; });
    cachedBytes_ -= soonest->bytes;
    cache_.erase(soonest);
  }
}

}  // namespace link_server
