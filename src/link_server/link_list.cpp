#include "link_server/link_list.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <algorithm>

namespace link_server {

namespace {

const QString kAdultKeyword = QStringLiteral("adult");

bool isWebAddress(const QString& text, QUrl::ParsingMode mode = QUrl::StrictMode) {
  static const QRegularExpression space(QStringLiteral("\\s"));
  if (text.isEmpty() || text.contains(space)) return false;
  const QUrl url(text, mode);
  const QString scheme = url.scheme();
  return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

// Parses one non-blank, non-comment line; returns an empty message on success.
QString parseEntry(QString line, LinkEntry& entry) {
  if (line.startsWith(kAdultKeyword) && line.size() > kAdultKeyword.size() &&
      line[kAdultKeyword.size()].isSpace()) {
    entry.adult = true;
    line = line.mid(kAdultKeyword.size()).trimmed();
  }
  const qsizetype first = line.indexOf(u'|');
  const qsizetype second = first < 0 ? -1 : line.indexOf(u'|', first + 1);
  if (second < 0) return QStringLiteral("expected url|depth|code");

  entry.url = line.left(first).trimmed();
  const QString depthText = line.mid(first + 1, second - first - 1).trimmed();
  entry.code = line.mid(second + 1).trimmed();

  if (!isWebAddress(entry.url))
    return QStringLiteral("not an http or https address: \"%1\"").arg(entry.url);
  bool isNumber = false;
  entry.depth = depthText.toInt(&isNumber);
  if (!isNumber) return QStringLiteral("depth is not a whole number: \"%1\"").arg(depthText);
  if (entry.depth < kMinDepth || entry.depth > kMaxDepth) {
    return QStringLiteral("depth %1 outside %2..%3").arg(entry.depth).arg(kMinDepth).arg(kMaxDepth);
  }
  // The code only travels percent-encoded, so it may hold what a strict address may not ('|').
  if (!isWebAddress(entry.code, QUrl::TolerantMode)) {
    return QStringLiteral("code is not the site's http or https address: \"%1\"").arg(entry.code);
  }
  return {};
}

}  // namespace

QString LinkEntry::line() const { return url + u'|' + QString::number(depth) + u'|' + code; }

LinkList LinkList::parse(const QString& text, QList<LinkListProblem>* problems) {
  LinkList list;
  const QStringList lines = text.split(u'\n');
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QString line = lines[i];
    if (i == 0 && line.startsWith(QChar(0xFEFF))) line.remove(0, 1);
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(u'#')) continue;
    LinkEntry entry;
    const QString message = parseEntry(line, entry);
    if (message.isEmpty()) {
      list.entries_.append(entry);
    } else if (problems) {
      problems->append({static_cast<int>(i + 1), message});
    }
  }
  return list;
}

int LinkList::count(bool adult) const {
  return static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                        [adult](const LinkEntry& e) { return e.adult == adult; }));
}

const LinkEntry* LinkList::draw(bool adultMode, QRandomGenerator& random) const {
  const bool adult = adultMode && count(true) > 0;
  const int n = count(adult);
  if (n == 0) return nullptr;
  int pick = static_cast<int>(random.bounded(n));
  for (const LinkEntry& entry : entries_) {
    if (entry.adult == adult && pick-- == 0) return &entry;
  }
  return nullptr;
}

}  // namespace link_server
