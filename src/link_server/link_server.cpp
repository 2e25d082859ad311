#include "link_server/link_server.h"

#include <QDateTime>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

#include "link_server/search_gateway.h"
#include "link_server/server_pages.h"
#include "quorel_version.h"

namespace link_server {

namespace {

// Lets a half-closed or stuck peer go after the reply has been handed to the socket.
constexpr int kLingerMs = 5'000;

// The request line as it may appear in the log: printable ASCII only, bounded.
QString printable(const QByteArray& bytes) {
  QString text;
  const qsizetype n = std::min<qsizetype>(bytes.size(), 300);
  text.reserve(n);
  for (qsizetype i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    text += (c >= 0x20 && c < 0x7f && c != '"') ? QChar(c) : QChar(u'?');
  }
  if (bytes.size() > n) text += QStringLiteral("...");
  return text;
}

struct RequestLine {
  QByteArray method;
  QString path;
  QByteArray query;
};

// Returns 0 when the line is a request we can route, else the status to refuse it with.
int parseRequestLine(const QByteArray& line, RequestLine& request) {
  const QList<QByteArray> parts = line.split(' ');
  if (parts.size() != 3 || parts[0].isEmpty() || parts[1].isEmpty()) return 400;
  for (char c : parts[0]) {
    if (c < 'A' || c > 'Z') return 400;
  }
  if (!parts[2].startsWith("HTTP/")) return 400;
  if (!parts[2].startsWith("HTTP/1.")) return 505;
  request.method = parts[0];

  QByteArray target = parts[1];
  // A proxy-style absolute address: keep its path and query.
  for (const char* scheme : {"http://", "https://"}) {
    if (target.startsWith(scheme)) {
      const qsizetype slash = target.indexOf('/', static_cast<qsizetype>(qstrlen(scheme)));
      target = slash < 0 ? QByteArray("/") : target.mid(slash);
    }
  }
  if (!target.startsWith('/')) return 400;
  if (const qsizetype hash = target.indexOf('#'); hash >= 0) target.truncate(hash);
  const qsizetype question = target.indexOf('?');
  const QByteArray path = question < 0 ? target : target.left(question);
  request.path = QString::fromUtf8(QByteArray::fromPercentEncoding(path));
  request.query = question < 0 ? QByteArray() : target.mid(question + 1);
  return 0;
}

QByteArray serialize(const Response& response, bool withBody) {
  QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                   ReasonPhrase(response.status) + "\r\n";
  out += "Server: quorel-vendor/" QUOREL_VERSION "\r\n";
  out += "Content-Type: " + response.contentType + "\r\n";
  out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
  out += "Cache-Control: no-store\r\n";
  out += "Connection: close\r\n";
  for (const auto& [name, value] : response.headers) out += name + ": " + value + "\r\n";
  out += "\r\n";
  if (withBody) out += response.body;
  return out;
}

// One connection: collects the request head, answers once, closes.
class Connection : public QObject {
 public:
  using Responder = std::function<Response(const RequestLine&)>;

  Connection(QTcpSocket* socket, const ServerOptions& options, Responder respond,
             std::function<void(const QString&)> log)
      : QObject(socket),
        socket_(socket),
        options_(options),
        respond_(std::move(respond)),
        log_(std::move(log)),
        peer_(socket->peerAddress().toString()) {
    deadline_.setSingleShot(true);
    QObject::connect(&deadline_, &QTimer::timeout, this, [this] { timeOut(); });
    QObject::connect(socket_, &QTcpSocket::readyRead, this, [this] { read(); });
    deadline_.start(options_.headTimeoutMs);
  }

 private:
  void read() {
    if (answered_) {
      socket_->readAll();
      return;
    }
    buffer_ += socket_->read(options_.maxHeadBytes + 1 - buffer_.size());

    const qsizetype lineEnd = buffer_.indexOf('\n');
    if (lineEnd < 0) {
      if (buffer_.size() > options_.maxHeadBytes) refuse(414, buffer_);
      return;
    }
    QByteArray line = buffer_.left(lineEnd);
    if (line.endsWith('\r')) line.chop(1);
    RequestLine request;
    if (const int status = parseRequestLine(line, request); status != 0) {
      refuse(status, line);
      return;
    }
    const bool complete = buffer_.indexOf("\r\n\r\n") >= 0 || buffer_.indexOf("\n\n") >= 0;
    if (!complete) {
      if (buffer_.size() > options_.maxHeadBytes) refuse(431, line);
      return;
    }
    if (request.method != "GET" && request.method != "HEAD") {
      Response response = ErrorPage(405);
      response.headers.emplaceBack("Allow", "GET, HEAD");
      answer(response, line, true);
      return;
    }
    const bool withBody = request.method == "GET";
    Response response = respond_(request);
    if (response.later) {  // the answer is being fetched: no time-outs of the head any more
      answered_ = true;
      deadline_.stop();
      response.later([self = QPointer<Connection>(this), line, withBody](const Response& r) {
        if (self) self->answer(r, line, withBody);
      });
      return;
    }
    answer(response, line, withBody);
  }

  void timeOut() {
    if (answered_) return;
    const qsizetype lineEnd = buffer_.indexOf('\n');
    refuse(408, lineEnd < 0 ? buffer_ : buffer_.left(lineEnd));
  }

  void refuse(int status, const QByteArray& requestLine) {
    answer(ErrorPage(status), requestLine, true);
  }

  void answer(const Response& response, const QByteArray& requestLine, bool withBody) {
    answered_ = true;
    deadline_.stop();
    const QByteArray bytes = serialize(response, withBody);
    socket_->write(bytes);
    // One arg() call: the request line may hold "%1"-like text of its own.
    log_(QStringLiteral("%1 %2 \"%3\" %4 %5")
             .arg(QDateTime::currentDateTime().toString(Qt::ISODate), peer_,
                  printable(requestLine.trimmed()), QString::number(response.status),
                  QString::number(withBody ? response.body.size() : 0)));
    socket_->disconnectFromHost();
    if (socket_->state() != QAbstractSocket::UnconnectedState) {
      QTimer::singleShot(kLingerMs, socket_, [socket = socket_] { socket->abort(); });
    }
  }

  QTcpSocket* socket_;
  const ServerOptions& options_;
  Responder respond_;
  std::function<void(const QString&)> log_;
  QString peer_;
  QByteArray buffer_;
  QTimer deadline_;
  bool answered_ = false;
};

// The prefix of the peer's address (also when an IPv4 address comes mapped into IPv6) as a key:
// an IPv4 prefix of v4Bits or an IPv6 one of v6Bits.
QString prefixOf(const QHostAddress& peer, int v4Bits, int v6Bits) {
  bool v4 = false;
  const quint32 address = peer.toIPv4Address(&v4);
  if (v4) {
    const quint32 mask = v4Bits >= 32 ? ~quint32{0} : ~(~quint32{0} >> v4Bits);
    return QHostAddress(address & mask).toString() + u'/' + QString::number(v4Bits);
  }
  Q_IPV6ADDR v6 = peer.toIPv6Address();
  std::fill(v6.c + v6Bits / 8, v6.c + 16, quint8{0});
  return QHostAddress(v6).toString() + u'/' + QString::number(v6Bits);
}

// Whose connections count together: an IPv4 address or an IPv6 /64.
QString clientOf(const QHostAddress& peer) { return prefixOf(peer, 32, 64); }
QString networkOf(const QHostAddress& peer) { return prefixOf(peer, 24, 48); }

// After the process ran out of descriptors, accepting is tried again this much later.
constexpr int kAcceptRetryMs = 1'000;

}  // namespace

LinkServer::LinkServer(LinkList links, ServerOptions options, QObject* parent)
    : QObject(parent),
      links_(std::move(links)),
      clickTargets_(links_),
      options_(std::move(options)),
      server_(new QTcpServer(this)),
      random_(QRandomGenerator::securelySeeded()) {
  // A burst of connections waits in the kernel's queue rather than being dropped.
  server_->setListenBacklogSize(options_.maxConnections);
  connect(server_, &QTcpServer::newConnection, this, &LinkServer::acceptConnections);
  // Qt stops accepting when accept() fails (no descriptors left); start again shortly.
  connect(server_, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError) {
    log(QStringLiteral("quorel-vendor: cannot accept: %1").arg(server_->errorString()));
    QTimer::singleShot(kAcceptRetryMs, server_, [server = server_] { server->resumeAccepting(); });
  });
}

void LinkServer::setLinks(LinkList links) {
  links_ = std::move(links);
  clickTargets_.update(links_);
}

LinkServer::~LinkServer() = default;

bool LinkServer::listen(const QHostAddress& address, quint16 port) {
  return server_->listen(address, port);
}

bool LinkServer::listen(qintptr descriptor) { return server_->setSocketDescriptor(descriptor); }

quint16 LinkServer::serverPort() const { return server_->serverPort(); }
QHostAddress LinkServer::serverAddress() const { return server_->serverAddress(); }
QString LinkServer::errorString() const { return server_->errorString(); }

void LinkServer::acceptConnections() {
  while (QTcpSocket* socket = server_->nextPendingConnection()) {
    const QString client = clientOf(socket->peerAddress());
    const QString network = networkOf(socket->peerAddress());
    const char* full = connections_ >= options_.maxConnections ? "too many connections"
                       : perClient_.value(client) >= options_.maxPerClient
                           ? "too many connections from this client"
                       : perNetwork_.value(network) >= options_.maxPerNetwork
                           ? "too many connections from this network"
                           : nullptr;
    if (full) {
      refused(socket->peerAddress(), full);
      socket->abort();
      socket->deleteLater();
      continue;
    }
    serve(socket, client, network);
  }
}

void LinkServer::refused(const QHostAddress& peer, const char* why) {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (now - lastRefusalLogged_ < 1000) {
    ++refusalsUnlogged_;
    return;
  }
  QString line = QStringLiteral("%1 %2 \"-\" 503 %3, closed")
                     .arg(QDateTime::currentDateTime().toString(Qt::ISODate), peer.toString(),
                          QLatin1String(why));
  if (refusalsUnlogged_ > 0)
    line +=
        QStringLiteral(" (and %1 more refused since the last such line)").arg(refusalsUnlogged_);
  log(line);
  lastRefusalLogged_ = now;
  refusalsUnlogged_ = 0;
}

void LinkServer::serve(QTcpSocket* socket, const QString& client, const QString& network) {
  ++connections_;
  ++perClient_[client];
  ++perNetwork_[network];
  connect(socket, &QObject::destroyed, this, [this, client, network] {
    --connections_;
    if (--perClient_[client] <= 0) perClient_.remove(client);
    if (--perNetwork_[network] <= 0) perNetwork_.remove(network);
  });
  connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  auto respond = [this](const RequestLine& request) {
    if (search_) {
      if (auto later = search_->route(request.path, request.query)) return *later;
    }
    return Respond(request.path, request.query, links_, clickTargets_, random_);
  };
  new Connection(socket, options_, respond, [this](const QString& line) { log(line); });
}

void LinkServer::log(const QString& line) const { WriteLog(options_.log, line); }

}  // namespace link_server
