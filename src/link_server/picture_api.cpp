#include "link_server/picture_api.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QUrlQuery>
#include <algorithm>
#include <optional>

#include "quorel_version.h"

namespace vendor {
namespace {

// Picture sources ask clients to say who they are and where to read about them.
QByteArray userAgent() {
  return QByteArrayLiteral("Quorel-vendor/" QUOREL_VERSION " (+" QUOREL_HOME_PAGE ") Qt/") +
         qVersion();
}

bool hasPictureEnding(const QString& address) {
  const QString lower = address.toLower();
  return lower.endsWith(u".jpg") || lower.endsWith(u".jpeg") || lower.endsWith(u".png") ||
         lower.endsWith(u".gif");
}

// The program takes a result's picture address up to the next "&" and puts "http://" before
// it: an address that would not survive that is left out.
bool suitsResultLink(const QString& address) {
  if (!address.startsWith(u"https://") && !address.startsWith(u"http://")) return false;
  for (const QChar c : address) {
    if (c.unicode() <= 0x20 || c.unicode() >= 0x7f) return false;
    if (QStringView(u"&#?\"'<>\\").contains(c)) return false;
  }
  return !address.contains(u"%2F", Qt::CaseInsensitive) && hasPictureEnding(address);
}

std::optional<Picture> pictureOf(const QJsonObject& page) {
  const QJsonArray infos = page.value(u"imageinfo").toArray();
  if (infos.isEmpty()) return std::nullopt;
  const QJsonObject info = infos.first().toObject();
  const QString mime = info.value(u"mime").toString();
  if (mime != u"image/jpeg" && mime != u"image/png" && mime != u"image/gif") return std::nullopt;
  // Without a thumbnail the original is at most the width asked for, so it serves as one.
  const bool thumbnail = info.contains(u"thumburl");
  const QString address =
      info.value(thumbnail ? QStringLiteral("thumburl") : QStringLiteral("url")).toString();
  const int width =
      info.value(thumbnail ? QStringLiteral("thumbwidth") : QStringLiteral("width")).toInt();
  if (width <= 0 || width > kMaxPictureWidth || !suitsResultLink(address)) return std::nullopt;
  QString title = page.value(u"title").toString();
  if (const qsizetype colon = title.indexOf(u':'); colon >= 0) title = title.mid(colon + 1);
  return Picture{address, info.value(u"descriptionurl").toString(), title};
}

}  // namespace

QUrl PictureQuery(const QUrl& api, const QString& phrase) {
  QUrlQuery query;
  const auto add = [&](const char* name, const QString& value) {
    query.addQueryItem(QString::fromLatin1(name),
                       QString::fromUtf8(QUrl::toPercentEncoding(value)));
  };
  add("action", QStringLiteral("query"));
  add("format", QStringLiteral("json"));
  add("generator", QStringLiteral("search"));
  add("gsrnamespace", QStringLiteral("6"));
  // Photographs and drawings only: no vector art, documents or films.
  add("gsrsearch", phrase + QStringLiteral(" filetype:bitmap"));
  add("gsrlimit", QString::number(kPicturesAsked));
  add("prop", QStringLiteral("imageinfo"));
  add("iiprop", QStringLiteral("url|size|mime"));
  add("iiurlwidth", QString::number(kMaxPictureWidth));
  QUrl url = api;
  url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
  return url;
}

PictureAnswer ParsePictures(const QByteArray& json) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(json, &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) return {};
  const QJsonObject root = document.object();
  if (root.contains(u"error")) return {};
  // The pages come keyed by id (or as a list in the newer format); "index" is the search rank.
  const QJsonValue pagesValue = root.value(u"query").toObject().value(u"pages");
  QList<QJsonObject> pages;
  if (pagesValue.isArray()) {
    for (const QJsonValue& page : pagesValue.toArray()) pages.append(page.toObject());
  } else {
    for (const QJsonValue& page : pagesValue.toObject()) pages.append(page.toObject());
  }
  std::stable_sort(pages.begin(), pages.end(), [](const QJsonObject& a, const QJsonObject& b) {
    return a.value(u"index").toInt() < b.value(u"index").toInt();
  });
  PictureAnswer answer{true, {}};
  for (const QJsonObject& page : pages) {
    if (auto picture = pictureOf(page)) answer.pictures.append(*picture);
    if (answer.pictures.size() == kPicturesAsked) break;
  }
  return answer;
}

PictureApi::PictureApi(QUrl api, Options options, QObject* parent)
    : QObject(parent),
      api_(std::move(api)),
      options_(options),
      network_(new QNetworkAccessManager(this)) {
  // Honours http_proxy, https_proxy and no_proxy.
  QNetworkProxyFactory::setUseSystemConfiguration(true);
  network_->setAutoDeleteReplies(false);
}

PictureApi::~PictureApi() = default;

void PictureApi::find(const QString& phrase, std::function<void(const PictureAnswer&)> done) {
  queue_.push_back({phrase, std::move(done)});
  if (!busy_)
    QMetaObject::invokeMethod(
        this, [this] { next(); }, Qt::QueuedConnection);
}

void PictureApi::next() {
  if (busy_ || queue_.empty()) return;
  busy_ = true;
  QNetworkRequest request(PictureQuery(api_, queue_.front().phrase));
  request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
  request.setRawHeader("Accept", "application/json");
  request.setTransferTimeout(options_.timeoutMs);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::NoLessSafeRedirectPolicy);
  QNetworkReply* reply = network_->get(request);
  connect(reply, &QNetworkReply::downloadProgress, reply, [this, reply](qint64 received) {
    if (received > options_.maxReplyBytes) reply->abort();
  });
  connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
}

void PictureApi::finished(QNetworkReply* reply) {
  reply->deleteLater();
  PictureAnswer answer;
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (reply->error() == QNetworkReply::NoError && status == 200)
    answer = ParsePictures(reply->readAll());
  Job job = std::move(queue_.front());
  queue_.pop_front();
  busy_ = false;
  job.done(answer);
  next();
}

}  // namespace vendor
