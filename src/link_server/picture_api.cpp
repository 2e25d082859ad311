#include "link_server/picture_api.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTimer>
#include <QUrlQuery>
#include <algorithm>
#include <optional>

#include "link_server/family_filter.h"
#include "quorel_version.h"
#include "web/private_address.h"

namespace link_server {
namespace {

constexpr int kMaxRedirects = 5;
// Why a reply was cut short by us rather than by the network.
constexpr char kCutShort[] = "quorel-cut-short";

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

// Clients fetch what the page links to: nothing on a private or local host, nor on a name
// without a dot, which only a local resolver answers.
bool onPublicHost(const QString& address) {
  const QUrl url(address, QUrl::StrictMode);
  const QString host = web::bareHost(url.host());
  return url.isValid() && !host.isEmpty() && !web::isPrivateHost(host) &&
         (host.contains(u'.') || host.contains(u':'));
}

// A thumbnail's address names its width ("/960px-Name.jpg"); the image servers make only the
// standard steps, whatever width the API reports.
bool widthInAddressFits(const QString& address, int thumbWidth) {
  static const QRegularExpression named(QStringLiteral("/(\\d+)px-[^/]*$"));
  const QRegularExpressionMatch match = named.match(address);
  if (!match.hasMatch()) return true;  // the original, no wider than the width reported
  // A width too long for an int is no step either.
  bool read = false;
  const int width = match.captured(1).toInt(&read);
  return read && IsThumbStep(width) && width <= thumbWidth;
}

std::optional<Picture> pictureOf(const QJsonObject& page, int thumbWidth) {
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
  if (width <= 0 || width > thumbWidth || !suitsResultLink(address) || !onPublicHost(address) ||
      !widthInAddressFits(address, thumbWidth))
    return std::nullopt;
  QString title = page.value(u"title").toString();
  if (const qsizetype colon = title.indexOf(u':'); colon >= 0) title = title.mid(colon + 1);
  return Picture{address, info.value(u"descriptionurl").toString(), title};
}

bool unsafe(const QJsonObject& page, const FamilyFilter& filter, bool categoriesCut) {
  if (filter.matches(page.value(u"title").toString())) return true;
  if (!page.contains(u"categories")) return categoriesCut;  // not judged: not shown
  for (const QJsonValue& category : page.value(u"categories").toArray())
    if (filter.matches(category.toObject().value(u"title").toString())) return true;
  return false;
}

}  // namespace

bool IsThumbStep(int width) {
  return std::find(kThumbSteps.begin(), kThumbSteps.end(), width) != kThumbSteps.end();
}

QUrl PictureQuery(const QUrl& api, const QString& phrase, int thumbWidth) {
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
  add("prop", QStringLiteral("imageinfo|categories"));
  add("iiprop", QStringLiteral("url|size|mime"));
  add("iiurlwidth", QString::number(thumbWidth));
  add("clshow", QStringLiteral("!hidden"));
  add("cllimit", QStringLiteral("max"));
  QUrl url = api;
  url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
  return url;
}

PictureAnswer ParsePictures(const QByteArray& json, const ParseRules& rules) {
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
  // Categories past the API's limit come in a continuation that is never asked for: a page
  // without them may have some that were cut.
  const bool categoriesCut = root.value(u"continue").toObject().contains(u"clcontinue");
  PictureAnswer answer{true, {}, 0};
  for (const QJsonObject& page : pages) {
    std::optional<Picture> picture = pictureOf(page, rules.thumbWidth);
    if (!picture) continue;
    if (rules.filter && unsafe(page, *rules.filter, categoriesCut)) {
      ++answer.dropped;
      continue;
    }
    answer.pictures.append(*picture);
    if (answer.pictures.size() == kPicturesAsked) break;
  }
  return answer;
}

QByteArray UserAgent(const QString& contact) {
  // A header value: printable ASCII, and no parenthesis that would end the comment early.
  QByteArray reach;
  for (const QChar c : contact.isEmpty() ? QStringLiteral(QUOREL_CONTACT_PAGE) : contact)
    if (c.unicode() > 0x20 && c.unicode() < 0x7f && c != u'(' && c != u')')
      reach += static_cast<char>(c.unicode());
    else if (c == u' ')
      reach += ' ';
  return QByteArrayLiteral("Quorel-vendor/" QUOREL_VERSION " (") + reach.trimmed() + ") Qt/" +
         qVersion();
}

PictureApi::PictureApi(QUrl api, Options options, QObject* parent)
    : QObject(parent),
      api_(std::move(api)),
      options_(std::move(options)),
      network_(new QNetworkAccessManager(this)),
      pacing_(options_.perMinute) {
  // Honours http_proxy, https_proxy and no_proxy.
  QNetworkProxyFactory::setUseSystemConfiguration(true);
  network_->setAutoDeleteReplies(false);
  clock_.start();
}

PictureApi::~PictureApi() = default;

bool PictureApi::canAsk() { return pacing_.mayAsk(now(), waiting()); }

void PictureApi::find(const QString& phrase, std::function<void(const PictureAnswer&)> done) {
  queue_.push_back({phrase, std::move(done)});
  if (!busy_)
    QMetaObject::invokeMethod(
        this, [this] { next(); }, Qt::QueuedConnection);
}

void PictureApi::next() {
  if (busy_ || queue_.empty()) return;
  if (!pacing_.mayAsk(now())) {
    failQueued();
    return;
  }
  busy_ = true;
  pacing_.asked(now());
  QNetworkRequest request(PictureQuery(api_, queue_.front().phrase, options_.thumbWidth));
  request.setHeader(QNetworkRequest::UserAgentHeader, UserAgent(options_.contact));
  request.setRawHeader("Accept", "application/json");
  request.setTransferTimeout(options_.timeoutMs);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::UserVerifiedRedirectPolicy);
  request.setMaximumRedirectsAllowed(kMaxRedirects);
  QNetworkReply* reply = network_->get(request);
  const auto cut = [reply](const char* why) {
    if (reply->property(kCutShort).isValid()) return;
    reply->setProperty(kCutShort, QString::fromLatin1(why));
    reply->abort();
  };
  // The answer is capped while it arrives, announced or not.
  const auto tooBig = [this, reply, cut] {
    const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (announced > options_.maxReplyBytes || reply->bytesAvailable() > options_.maxReplyBytes)
      cut("an answer over the size limit");
  };
  connect(reply, &QNetworkReply::metaDataChanged, reply, tooBig);
  connect(reply, &QNetworkReply::readyRead, reply, tooBig);
  // Redirects stay with the API's own host, over https.
  connect(reply, &QNetworkReply::redirected, reply, [this, reply, cut](const QUrl& target) {
    if (target.scheme() == u"https" && web::bareHost(target.host()) == web::bareHost(api_.host()))
      emit reply->redirectAllowed();
    else
      cut("a redirect elsewhere");
  });
  QTimer::singleShot(options_.deadlineMs, reply, [cut] { cut("no complete answer in time"); });
  connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
}

void PictureApi::finished(QNetworkReply* reply) {
  reply->deleteLater();
  PictureAnswer answer;
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QString cutShort = reply->property(kCutShort).toString();
  Job job = std::move(queue_.front());
  queue_.pop_front();
  busy_ = false;
  if (status == 429 || status == 503) {
    const std::optional<qint64> retryAfter =
        RetryAfterMs(reply->rawHeader("Retry-After"), QDateTime::currentDateTimeUtc());
    pause(retryAfter, QStringLiteral("answered %1").arg(status));
  } else if (!cutShort.isEmpty() && cutShort != u"no complete answer in time") {
    log(QStringLiteral("picture API: gave up on %1").arg(cutShort));
  } else if (status == 0 || !cutShort.isEmpty()) {
    pause(std::nullopt, cutShort.isEmpty() ? reply->errorString() : cutShort);
  } else if (reply->error() == QNetworkReply::NoError && status == 200) {
    pacing_.answered();
    answer = ParsePictures(reply->readAll(), {options_.thumbWidth, options_.filter});
    if (answer.dropped > 0)
      log(QStringLiteral("picture API: \"%1\": %2 left out by the family filter, %3 kept")
              .arg(job.phrase.left(100))
              .arg(answer.dropped)
              .arg(answer.pictures.size()));
  }
  job.done(answer);
  if (pacing_.paused(now())) failQueued();
  next();
}

void PictureApi::pause(std::optional<qint64> retryAfterMs, const QString& why) {
  const qint64 length = pacing_.pause(now(), retryAfterMs);
  log(QStringLiteral("picture API %1: no requests for %2 s").arg(why).arg((length + 999) / 1000));
  QTimer::singleShot(pacing_.pausedUntil() - now(), this, [this] {
    if (!pacing_.paused(now())) log(QStringLiteral("picture API: pause over, asking again"));
  });
}

void PictureApi::failQueued() {
  // Whoever waits gets the page without pictures now rather than after the pause.
  std::deque<Job> jobs;
  jobs.swap(queue_);
  for (const Job& job : jobs) job.done({});
}

void PictureApi::log(const QString& line) const { WriteLog(options_.log, line); }

}  // namespace link_server
