// What quorel-vendor answers: the version, a link from the list, the click-through redirect and
// the project's pages. Transport-free, so the server just parses, calls Respond and writes.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

class QRandomGenerator;

namespace link_server {

class ClickTargets;
class LinkList;

struct Response {
  int status = 200;
  QByteArray contentType = "text/html; charset=utf-8";
  QByteArray body;
  QList<QPair<QByteArray, QByteArray>> headers;  // besides the ones every reply carries
  // Set when the answer comes later: called once with the function that sends it.
  std::function<void(std::function<void(const Response&)>)> later;
};

const char* ReasonPhrase(int status);

// A plain error page for the given status.
Response ErrorPage(int status, const QString& detail = {});

// Decodes one value of a form-encoded query ("+" is a space, %XX a byte, UTF-8 text).
QString FormDecode(const QByteArray& encoded);

// Answers a GET (or HEAD) for path and its still-encoded query; click.asp redirects only to
// the click targets.
Response Respond(const QString& path, const QByteArray& query, const LinkList& links,
                 const ClickTargets& clickTargets, QRandomGenerator& random);

}  // namespace link_server
