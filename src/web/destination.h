// Where one request may connect: a name is resolved first and refused when any answer is a
// private, local or reserved address; otherwise the request goes to the checked address itself
// (the name kept in the Host header and, for https, for SNI and the certificate), so a second
// DNS answer cannot slip in between check and connect. Behind an http proxy the proxy connects
// by name: the name is still resolved here and refused when an answer is private, but a name
// only the proxy knows goes through, and what the proxy's own lookup answers is its affair.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QUrl>
#include <functional>

namespace web {

class Engine;

struct Destination {
  qint32 refusal = 0;     // a NavigateError status when the request may not be made
  QUrl connectUrl;        // where to connect: the url itself, or with the checked address as host
  QByteArray hostHeader;  // the name and port as written, when the host was replaced
  QString verifyName;     // the same name, for https
};

// Checks url for a request; done() follows from the event loop unless context is gone first.
// ownRequest: the program's own navigation, to which the engine's allow-list applies.
void findDestination(Engine& engine, const QUrl& url, bool ownRequest, QObject* context,
                     std::function<void(const Destination&)> done);

}  // namespace web
