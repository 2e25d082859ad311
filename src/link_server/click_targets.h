// Where click.asp may send a browser on its own: the sites of the link list now served and of
// the one before it (pictures from before a reload are still on screen). The program opens
// click-through addresses for a listed site ("Browse Site") and for a picture it found while
// crawling from one ("Browse Pic"), which the list itself does not hold; pictures on a listed
// site's host (or its subdomains) are redirected, any other address is not, so the server is
// no open redirector.
#pragma once

#include <QSet>
#include <QString>

class QUrl;

namespace link_server {

class LinkList;

class ClickTargets {
 public:
  ClickTargets() = default;
  explicit ClickTargets(const LinkList& links) { update(links); }

  // The list now served; the hosts of the one before stay allowed.
  void update(const LinkList& links);
  bool allows(const QUrl& address) const;

 private:
  QSet<QString> current_;
  QSet<QString> previous_;
};

}  // namespace link_server
