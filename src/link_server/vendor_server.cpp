#include "link_server/vendor_server.h"

#include <QDateTime>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>

#include "link_server/vendor_pages.h"
#include "quorel_version.h"

namespace vendor {

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
    idle_.setSingleShot(true);
    deadline_.setSingleShot(true);
    QObject::connect(&idle_, &QTimer::timeout, this, [this] { timeOut(); });
    QObject::connect(&deadline_, &QTimer::timeout, this, [this] { timeOut(); });
    QObject::connect(socket_, &QTcpSocket::readyRead, this, [this] { read(); });
    idle_.start(options_.idleTimeoutMs);
    deadline_.start(options_.requestTimeoutMs);
  }

 private:
  void read() {
    if (answered_) {
      socket_->readAll();
      return;
    }
    buffer_ += socket_->read(options_.maxHeadBytes + 1 - buffer_.size());
    idle_.start(options_.idleTimeoutMs);

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
    answer(respond_(request), line, request.method == "GET");
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
    idle_.stop();
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
  QTimer idle_;
  QTimer deadline_;
  bool answered_ = false;
};

}  // namespace

VendorServer::VendorServer(LinkList links, ServerOptions options, QObject* parent)
    : QObject(parent),
      links_(std::move(links)),
      options_(std::move(options)),
      server_(new QTcpServer(this)),
      ownRandom_(QRandomGenerator::securelySeeded()) {
  connect(server_, &QTcpServer::newConnection, this, &VendorServer::acceptConnections);
}

VendorServer::~VendorServer() = default;

bool VendorServer::listen(const QHostAddress& address, quint16 port) {
  return server_->listen(address, port);
}

quint16 VendorServer::serverPort() const { return server_->serverPort(); }
QHostAddress VendorServer::serverAddress() const { return server_->serverAddress(); }
QString VendorServer::errorString() const { return server_->errorString(); }

void VendorServer::acceptConnections() {
  while (QTcpSocket* socket = server_->nextPendingConnection()) {
    if (connections_ >= options_.maxConnections) {
      log(QStringLiteral("%1 %2 \"-\" 503 too many connections, closed")
              .arg(QDateTime::currentDateTime().toString(Qt::ISODate),
                   socket->peerAddress().toString()));
      socket->abort();
      socket->deleteLater();
      continue;
    }
    serve(socket);
  }
}

void VendorServer::serve(QTcpSocket* socket) {
  ++connections_;
  connect(socket, &QObject::destroyed, this, [this] { --connections_; });
  connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  auto respond = [this](const RequestLine& request) {
    return Respond(request.path, request.query, links_, random_ ? *random_ : ownRandom_);
  };
  new Connection(socket, options_, respond, [this](const QString& line) { log(line); });
}

void VendorServer::log(const QString& line) const {
  if (options_.log) {
    options_.log(line);
  } else {
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
  }
}

}  // namespace vendor
