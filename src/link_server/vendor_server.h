// quorel-vendor's HTTP/1.1 server: one request per connection (answered with
// "Connection: close"), GET and HEAD only, request heads capped in size and time so that
// garbage, oversized headers and clients that trickle bytes cannot tie it up.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QRandomGenerator>
#include <functional>

#include "link_server/link_list.h"

class QTcpServer;
class QTcpSocket;

namespace vendor {

struct ServerOptions {
  int maxHeadBytes = 16 * 1024;   // request line and headers together
  int idleTimeoutMs = 10'000;     // silence allowed while a request head is incomplete
  int requestTimeoutMs = 30'000;  // whole request head, however it trickles in
  int maxConnections = 256;       // beyond this new connections are closed at once
  // One line per request; stderr when empty.
  std::function<void(const QString&)> log;
};

class VendorServer : public QObject {
  Q_OBJECT
 public:
  explicit VendorServer(LinkList links, ServerOptions options = {}, QObject* parent = nullptr);
  ~VendorServer() override;

  bool listen(const QHostAddress& address, quint16 port);
  // Takes over a socket already listening (handed over by systemd).
  bool listen(qintptr descriptor);
  quint16 serverPort() const;
  QHostAddress serverAddress() const;
  QString errorString() const;

  void setLinks(LinkList links) { links_ = std::move(links); }
  const LinkList& links() const { return links_; }
  // Replaces the random source (tests script the draws); null restores the default.
  void setRandom(QRandomGenerator* random) { random_ = random; }
  int openConnections() const { return connections_; }

 private:
  void acceptConnections();
  void serve(QTcpSocket* socket);
  void log(const QString& line) const;

  LinkList links_;
  ServerOptions options_;
  QTcpServer* server_;
  QRandomGenerator* random_ = nullptr;
  QRandomGenerator ownRandom_;
  int connections_ = 0;
};

}  // namespace vendor
