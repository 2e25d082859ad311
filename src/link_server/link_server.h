// quorel-vendor's HTTP/1.1 server: one request per connection (answered with
// "Connection: close"), GET and HEAD only, request heads capped in size and time, and
// connections capped per client and in all, so that garbage, oversized headers, clients that
// trickle bytes and one client holding many sockets cannot tie it up.
#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QRandomGenerator>

#include "link_server/click_targets.h"
#include "link_server/link_list.h"
#include "link_server/server_log.h"

class QTcpServer;
class QTcpSocket;

namespace link_server {

class SearchGateway;

struct ServerOptions {
  int maxHeadBytes = 16 * 1024;  // request line and headers together
  int headTimeoutMs = 10'000;    // the whole request head, however it trickles in
  // Beyond these new connections are closed at once. A client is one IPv4 address, or one
  // IPv6 /64 (a single machine usually holds a whole /64); a network, an IPv4 /24 or an IPv6
  // /48, bounds the clients of one site or one attacker's block together.
  int maxConnections = 1024;
  int maxPerClient = 16;
  int maxPerNetwork = 64;
  // One line per request; stderr when empty.
  LogSink log;
};

class LinkServer : public QObject {
  Q_OBJECT
 public:
  explicit LinkServer(LinkList links, ServerOptions options = {}, QObject* parent = nullptr);
  ~LinkServer() override;

  bool listen(const QHostAddress& address, quint16 port);
  // Takes over a socket already listening (handed over by systemd).
  bool listen(qintptr descriptor);
  quint16 serverPort() const;
  QHostAddress serverAddress() const;
  QString errorString() const;

  // The new list; click.asp still redirects to the sites of the one before.
  void setLinks(LinkList links);
  const LinkList& links() const { return links_; }
  int openConnections() const { return connections_; }
  // Answers the image-search addresses; none: they are not found.
  void setSearchGateway(SearchGateway* gateway) { search_ = gateway; }

 private:
  void acceptConnections();
  void serve(QTcpSocket* socket, const QString& client, const QString& network);
  void refused(const QHostAddress& peer, const char* why);
  void log(const QString& line) const;

  LinkList links_;
  ClickTargets clickTargets_;
  ServerOptions options_;
  QTcpServer* server_;
  QRandomGenerator random_;
  int connections_ = 0;
  QHash<QString, int> perClient_;
  QHash<QString, int> perNetwork_;
  // Refusals are logged at most once a second, with how many went unlogged.
  qint64 lastRefusalLogged_ = 0;
  int refusalsUnlogged_ = 0;
  SearchGateway* search_ = nullptr;
};

}  // namespace link_server
