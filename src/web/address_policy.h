// Which addresses the engine may open: http and https only, and no private hosts unless
// allowed. Hosts are judged as written (after QUrl's normalisation), never resolved.
#pragma once

#include <QStringList>
#include <QUrl>

namespace web {

// A literal loopback, private, shared, link-local or unspecified address, or "localhost".
bool isPrivateHost(const QString& host);

// 0 when the address may be opened, else the NavigateError status to report.
qint32 addressRefusal(const QUrl& url, const QStringList& allowedPrivateHosts, bool allowAll);

}  // namespace web
