// Which addresses lie outside the public internet: a pure classification of address literals,
// with no engine around it, so the link server can apply the same rules to what it hands out.
#pragma once

#include <QHostAddress>
#include <QString>

namespace web {

// Loopback, private, shared, link-local, unique-local, unspecified, multicast or reserved,
// also when carried inside an IPv6 form (mapped, compatible, NAT64, 6to4, Teredo).
bool isPrivateAddress(const QHostAddress& address);
// A literal such address, or "localhost".
bool isPrivateHost(const QString& host);
// The host in lower case, without trailing dots or IPv6 brackets.
QString bareHost(QString host);

}  // namespace web
