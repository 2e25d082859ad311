// Which addresses the engine may open: http and https only, and no private, local or reserved
// address unless allowed. Hosts as written are judged here; resolved answers by
// isPrivateAddress (see web/destination.h).
#pragma once

#include <QStringList>
#include <QUrl>

#include "web/engine_limits.h"
#include "web/private_address.h"

namespace web {

// The url's host (and port, when the entry names one) is on the list.
bool isAllowedHost(const QUrl& url, const QStringList& allowed);

// 0 when the address may be opened, else the NavigateError status to report.
qint32 addressRefusal(const QUrl& url, const QStringList& allowedPrivateHosts, bool allowAll);

}  // namespace web
