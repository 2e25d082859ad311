#include "link_server/click_targets.h"

#include <QUrl>

#include "link_server/link_list.h"

namespace link_server {

namespace {

// The host a site is known by: lower case, without a trailing dot or a leading "www.", so
// www.example.org and example.org are one site.
QString siteHost(const QUrl& url) {
  QString host = url.host(QUrl::FullyDecoded).toLower();
  if (host.endsWith(u'.')) host.chop(1);
  if (host.startsWith(u"www.")) host.remove(0, 4);
  return host;
}

bool onSite(const QString& host, const QSet<QString>& sites) {
  // The host itself, then each parent domain: img.cdn.example.org, cdn.example.org ...
  for (qsizetype from = 0; from >= 0;) {
    if (sites.contains(host.mid(from))) return true;
    from = host.indexOf(u'.', from);
    if (from >= 0) ++from;
  }
  return false;
}

}  // namespace

void ClickTargets::update(const LinkList& links) {
  previous_ = std::move(current_);
  current_.clear();
  for (const LinkEntry& entry : links.entries()) {
    for (const QString& address : {entry.url, entry.code}) {
      const QString host = siteHost(QUrl(address, QUrl::TolerantMode));
      if (!host.isEmpty()) current_.insert(host);
    }
  }
}

bool ClickTargets::allows(const QUrl& address) const {
  const QString host = siteHost(address);
  return !host.isEmpty() && (onSite(host, current_) || onSite(host, previous_));
}

}  // namespace link_server
