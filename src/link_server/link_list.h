// The link list quorel-vendor hands out: one "url|depth|code" entry a line, read from a plain
// text file (format in data/links/README.md). Lines that do not parse are reported and skipped.
#pragma once

#include <QList>
#include <QString>

class QRandomGenerator;

namespace link_server {

struct LinkEntry {
  QString url;    // http or https address the crawl starts from
  int depth = 0;  // the crawl depth the program gives that address
  QString code;   // the site's own address, opened through the click-through page
  bool adult = false;

  // The reply line the program parses.
  QString line() const;
};

struct LinkListProblem {
  int line = 0;  // 1-based
  QString message;
};

// Depths the program knows what to do with: -2 phrase page, -1 another link list, 0 an image,
// 1 and up pages to crawl through. Deeper crawls only wander further from the listed site.
inline constexpr int kMinDepth = -2;
inline constexpr int kMaxDepth = 10;

class LinkList {
 public:
  // Parses the text of a list; every skipped line lands in problems (when given).
  static LinkList parse(const QString& text, QList<LinkListProblem>* problems = nullptr);

  const QList<LinkEntry>& entries() const { return entries_; }
  int count(bool adult) const;

  // One entry at random: from the adult entries in adult mode, else from the others. Adult
  // mode falls back to the others when the list has no adult entry. Null when nothing fits.
  const LinkEntry* draw(bool adultMode, QRandomGenerator& random) const;

 private:
  QList<LinkEntry> entries_;
};

}  // namespace link_server
