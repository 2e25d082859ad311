#include "link_server/server_pages.h"

#include <QRandomGenerator>
#include <QUrl>

#include "link_server/click_targets.h"
#include "link_server/link_list.h"
#include "quorel_version.h"

namespace link_server {

namespace {

QByteArray page(const QString& title, const QString& content) {
  const QString html =
      QStringLiteral(
          "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
          "<title>%1</title>\n<style>body{font-family:sans-serif;max-width:40em;margin:2em auto;"
          "line-height:1.5;color:#222}nav a{margin-right:1em}</style></head>\n<body>\n"
          "<nav><a href=\"/quorel\">Quorel</a><a href=\"/quorel/download/\">Download</a>"
          "<a href=\"/forums\">Forums</a></nav>\n<h1>%1</h1>\n%2\n</body></html>\n")
          .arg(title.toHtmlEscaped(), content);
  return html.toUtf8();
}

Response htmlPage(const QString& title, const QString& content) {
  Response response;
  response.body = page(title, content);
  return response;
}

Response plainText(const QByteArray& text) {
  Response response;
  response.contentType = "text/plain; charset=utf-8";
  response.body = text;
  return response;
}

Response homePage() {
  return htmlPage(
      QStringLiteral("Quorel"),
      QStringLiteral(
          "<p>Quorel fills your screen with a loose, ever-changing collage of pictures found on "
          "the "
          "web. It starts from a link this server hands out, wanders a few pages, picks an image "
          "of a "
          "size you like and scatters it over a black screen, the newest in front. Now and then it "
          "takes a two-word phrase from a page and asks an image-search engine for it.</p>\n"
          "<p>Click a picture for its menu: open it or its site, save it, raise, lower or hide it. "
          "The logo in the bottom-left corner opens the options.</p>\n"
          "<p>Version %1. <a href=\"/quorel/download/\">Get it</a> or talk about it in the "
          "<a href=\"/forums\">forums</a>.</p>")
          .arg(QStringLiteral(QUOREL_VERSION)));
}

Response downloadPage() {
  return htmlPage(
      QStringLiteral("Download Quorel"),
      QStringLiteral(
          "<p>The current version is <strong>%1</strong>.</p>\n"
          "<p>Quorel is built from source on Linux: install the dependencies and build with "
          "<code>make</code>, then start <code>build/quorel</code>. The link server, "
          "<code>quorel-vendor</code>, is built alongside it.</p>")
          .arg(QStringLiteral(QUOREL_VERSION)));
}

Response forumsPage() {
  return htmlPage(
      QStringLiteral("Quorel Forums"),
      QStringLiteral(
          "<p>Questions, link lists and pictures worth a look.</p>\n<ul>\n"
          "<li><strong>Announcements</strong>: new versions and link lists.</li>\n"
          "<li><strong>Help</strong>: installing, options, screen saver set-up.</li>\n"
          "<li><strong>Link lists</strong>: share the sites that make good collages.</li>\n"
          "</ul>\n<p>The forums are read-only on this server.</p>"));
}

Response linkReply(const QByteArray& query, const LinkList& links, QRandomGenerator& random) {
  bool adult = false;
  for (const QByteArray& pair : query.split('&')) {
    const qsizetype eq = pair.indexOf('=');
    if (eq > 0 && FormDecode(pair.left(eq)) == u"mode") {
      adult = FormDecode(pair.mid(eq + 1)).compare(u"adult", Qt::CaseInsensitive) == 0;
    }
  }
  const LinkEntry* entry = links.draw(adult, random);
  if (!entry) return ErrorPage(503, QStringLiteral("The link list is empty."));
  return plainText(entry->line().toUtf8());
}

Response clickThrough(const QByteArray& query, const ClickTargets& targets) {
  QString address;
  bool found = false;
  for (const QByteArray& pair : query.split('&')) {
    if (pair.startsWith("url=")) {
      address = FormDecode(pair.mid(4)).trimmed();
      found = true;
      break;
    }
  }
  if (!found || address.isEmpty()) return ErrorPage(400, QStringLiteral("No address given."));

  const QUrl url(address, QUrl::TolerantMode);
  const QString scheme = url.scheme().toLower();
  const bool webAddress = url.isValid() && (scheme == u"http" || scheme == u"https") &&
                          !url.host().isEmpty() && !address.contains(QChar(u'\r')) &&
                          !address.contains(QChar(u'\n'));
  if (!webAddress) {
    return ErrorPage(400,
                     QStringLiteral("Only http and https addresses are opened: %1").arg(address));
  }
  const QByteArray location = url.toEncoded(QUrl::FullyEncoded);
  if (!targets.allows(url)) {
    // Not sent there on the server's word: the address is shown for the user to follow.
    Response response = htmlPage(
        QStringLiteral("Not a listed site"),
        QStringLiteral("<p>This server only sends you on to the sites of its link list. The "
                       "address you asked for was:</p>\n<p><a href=\"%1\" rel=\"noreferrer "
                       "nofollow\">%2</a></p>")
            .arg(QString::fromLatin1(location).toHtmlEscaped(),
                 url.toDisplayString().toHtmlEscaped()));
    response.status = 404;
    return response;
  }
  Response response =
      htmlPage(QStringLiteral("Moved"), QStringLiteral("<p><a href=\"%1\">%2</a></p>")
                                            .arg(QString::fromLatin1(location).toHtmlEscaped(),
                                                 url.toDisplayString().toHtmlEscaped()));
  response.status = 302;
  response.headers.emplaceBack("Location", location);
  return response;
}

}  // namespace

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 302:
      return "Found";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 414:
      return "URI Too Long";
    case 431:
      return "Request Header Fields Too Large";
    case 503:
      return "Service Unavailable";
    case 505:
      return "HTTP Version Not Supported";
    default:
      return "Error";
  }
}

Response ErrorPage(int status, const QString& detail) {
  const QString title = QString::number(status) + u' ' + QString::fromLatin1(ReasonPhrase(status));
  Response response =
      htmlPage(title, detail.isEmpty() ? QString()
                                       : QStringLiteral("<p>%1</p>").arg(detail.toHtmlEscaped()));
  response.status = status;
  return response;
}

QString FormDecode(const QByteArray& encoded) {
  QByteArray bytes = encoded;
  bytes.replace('+', ' ');
  return QString::fromUtf8(QByteArray::fromPercentEncoding(bytes));
}

Response Respond(const QString& path, const QByteArray& query, const LinkList& links,
                 const ClickTargets& clickTargets, QRandomGenerator& random) {
  // The server this stands in for ignored case in paths, and so do we.
  QString p = path.toLower();
  if (p.size() > 1 && p.endsWith(u'/')) p.chop(1);

  if (p == u"/quorel/bin/version.asp") return plainText(QUOREL_VERSION);
  if (p == u"/quorel/bin/getlinks.asp") return linkReply(query, links, random);
  if (p == u"/quorel/bin/click.asp") return clickThrough(query, clickTargets);
  if (p == u"/" || p == u"/quorel" || p == u"/quorel/index.html") return homePage();
  if (p == u"/quorel/download") return downloadPage();
  if (p == u"/forums") return forumsPage();
  return ErrorPage(404, QStringLiteral("Nothing here."));
}

}  // namespace link_server
