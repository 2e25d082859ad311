#include "http_fixture.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>

namespace webtest {

HttpFixture::HttpFixture() {
  server_.listen(QHostAddress::LocalHost, 0);
  connect(&server_, &QTcpServer::newConnection, this, &HttpFixture::onConnection);
}

QString HttpFixture::url(const QString& path) const {
  return QString("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

void HttpFixture::route(const QByteArray& path, Reply reply) {
  routes_[path] = [reply](const Request&) { return reply; };
}

void HttpFixture::route(const QByteArray& path, std::function<Reply(const Request&)> handler) {
  routes_[path] = std::move(handler);
}

void HttpFixture::onConnection() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
      *buffer += socket->readAll();
      const qsizetype end = buffer->indexOf("\r\n\r\n");
      if (end < 0) return;
      const QList<QByteArray> lines = buffer->left(end).split('\n');
      buffer->clear();
      Request request;
      const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
      request.path = first.value(1);
      for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
          request.headers[lines[i].left(colon).trimmed().toLower()] =
              lines[i].mid(colon + 1).trimmed();
      }
      requests_.append(request);
      respond(socket, request);
    });
  }
}

void HttpFixture::respond(QTcpSocket* socket, const Request& request) {
  const QByteArray bare = request.path.split('?').constFirst();
  ++hits_[bare];
  const auto route = routes_.find(bare);
  const Reply reply =
      route != routes_.end() ? (*route)(request) : Reply{404, "text/html", "<p>not here</p>"};
  if (reply.hang) return;
  QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\n";
  if (!reply.contentType.isEmpty()) head += "Content-Type: " + reply.contentType + "\r\n";
  if (reply.sendLength) head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
  for (const auto& [name, value] : reply.headers) head += name + ": " + value + "\r\n";
  head += "Connection: close\r\n\r\n";
  socket->write(head);
  if (reply.dribbleMs > 0) {
    auto* timer = new QTimer(socket);
    auto sent = std::make_shared<qsizetype>(0);
    const QByteArray body = reply.body;
    connect(timer, &QTimer::timeout, socket, [socket, timer, sent, body] {
      if (*sent >= body.size()) {
        timer->stop();
        socket->disconnectFromHost();
        return;
      }
      socket->write(body.mid((*sent)++, 1));
    });
    timer->start(reply.dribbleMs);
    return;
  }
  socket->write(reply.body);
  socket->disconnectFromHost();
}

static quint32 crc32(const QByteArray& data) {
  quint32 crc = 0xFFFFFFFFu;
  for (const char byte : data) {
    crc ^= quint8(byte);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

QByteArray deflate(const QByteArray& data) { return qCompress(data).mid(4); }

QByteArray gzip(const QByteArray& data) {
  const QByteArray zlib = deflate(data);
  const QByteArray raw = zlib.mid(2, zlib.size() - 6);  // strip the zlib header and checksum
  QByteArray out("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10);
  out += raw;
  char trailer[8];
  qToLittleEndian<quint32>(crc32(data), trailer);
  qToLittleEndian<quint32>(quint32(data.size()), trailer + 4);
  out.append(trailer, 8);
  return out;
}

QByteArray imageBytes(const QByteArray& format, int width, int height, QImage::Format pixels) {
  if (format == "gif") {
    // One colour: the screen's size and palette (red, black), then one image of that size
    // with a minimal LZW stream (code size 2, one sub-block).
    QByteArray size(4, '\0');
    qToLittleEndian<quint16>(quint16(width), size.data());
    qToLittleEndian<quint16>(quint16(height), size.data() + 2);
    return "GIF89a" + size + QByteArray("\x80\0\0\xff\0\0\0\0\0,\0\0\0\0", 14) + size +
           QByteArray("\0\x02\x02\x44\x01\0;", 7);
  }
  QImage image(width, height, pixels);
  image.fill(Qt::red);
  return encoded(image, format);
}

QByteArray encoded(const QImage& image, const QByteArray& format) {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format == "progressive" ? "jpeg" : format);
  if (format == "progressive") writer.setProgressiveScanWrite(true);
  writer.write(image);
  return out;
}

}  // namespace webtest
