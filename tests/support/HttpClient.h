#pragma once

// A minimal blocking HTTP/1.1 client for the print service's tests and benchmark.

#include <QByteArray>
#include <QHostAddress>
#include <QTcpSocket>

#include <optional>

struct THttpReply {
  int status = 0;
  QByteArray contentType;
  QByteArray body;
  QByteArray verification;  // X-DAMDFE-Verificacao
};

inline QByteArray HeaderValue(const QByteArray& head, const QByteArray& name) {
  for (const QByteArray& line : head.split('\n')) {
    if (line.toLower().startsWith(name.toLower() + ":")) return line.mid(name.size() + 1).trimmed();
  }
  return {};
}

// One request on its own connection, blocking: for client threads while another thread serves.
inline THttpReply HttpCall(quint16 port, const QByteArray& target, const QByteArray& contentType = {},
                           const QByteArray& body = {}, const QByteArray& method = "POST") {
  QTcpSocket socket;
  socket.connectToHost(QHostAddress::LocalHost, port);
  if (!socket.waitForConnected(5000)) return {};
  QByteArray request = method + " " + target + " HTTP/1.1\r\nHost: localhost\r\n";
  if (!contentType.isEmpty()) request += "Content-Type: " + contentType + "\r\n";
  socket.write(request + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
  while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(60000)) {
  }
  // An answer may come before the whole body went out (413), and the service may close right after.
  QByteArray received;
  auto whole = [&]() -> std::optional<THttpReply> {
    const qsizetype headEnd = received.indexOf("\r\n\r\n");
    if (headEnd < 0) return std::nullopt;
    const QByteArray head = received.left(headEnd);
    if (received.size() - headEnd - 4 < HeaderValue(head, "Content-Length").toLongLong()) return std::nullopt;
    return THttpReply{head.mid(9, 3).toInt(), HeaderValue(head, "Content-Type"), received.mid(headEnd + 4),
                      HeaderValue(head, "X-DAMDFE-Verificacao")};
  };
  for (bool more = true; more;) {
    more = socket.waitForReadyRead(60000);
    received += socket.readAll();
    if (auto reply = whole()) return *reply;
  }
  return {};
}
