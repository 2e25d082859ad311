// Shared pieces of the link server's tests: requests over raw sockets (sent exactly as written,
// nothing followed: the tests read what the server sent).
#pragma once

#include <gtest/gtest.h>

#include <QTcpSocket>
#include <QTest>
#include <memory>

namespace servertest {

constexpr int kPatienceMs = 10'000;  // a failure guard only, never a measured time

// A connection to the port on loopback, from the given local address, with the bytes sent.
inline std::unique_ptr<QTcpSocket> send(quint16 port, const QByteArray& bytes,
                                        const QHostAddress& from = {}) {
  auto socket = std::make_unique<QTcpSocket>();
  if (!from.isNull()) socket->bind(from);
  socket->connectToHost(QHostAddress::LocalHost, port);
  EXPECT_TRUE(socket->waitForConnected(kPatienceMs));
  socket->write(bytes);
  return socket;
}

// Whatever comes back before the server closes the connection.
inline QByteArray received(QTcpSocket& socket) {
  QByteArray bytes;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        bytes += socket.readAll();
        return socket.state() == QAbstractSocket::UnconnectedState;
      },
      kPatienceMs))
      << "server left it open";
  return bytes + socket.readAll();
}

struct Reply {
  int status = 0;
  QByteArray head, body;
  QByteArray header(const QByteArray& name) const {
    const qsizetype at = head.indexOf("\r\n" + name + ": ");
    return at < 0 ? QByteArray() : head.mid(at + name.size() + 4).split('\r').front();
  }
};

inline Reply reply(const QByteArray& raw) {
  const qsizetype end = raw.indexOf("\r\n\r\n");
  return {raw.mid(9, 3).toInt(), raw.left(end), end < 0 ? QByteArray() : raw.mid(end + 4)};
}

inline Reply fetch(quint16 port, const QByteArray& path, const QByteArray& verb = "GET") {
  return reply(received(*send(port, verb + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")));
}

}  // namespace servertest
