#include "link_server/family_filter.h"

#include <QFile>
#include <QStringList>

namespace link_server {

FamilyFilter FamilyFilter::parse(const QString& list) {
  QStringList alternatives;
  for (QString entry : list.split(u'\n')) {
    entry = entry.trimmed();
    if (entry.isEmpty() || entry.startsWith(u'#')) continue;
    const bool prefix = entry.endsWith(u'*');
    if (prefix) entry.chop(1);
    QStringList words;
    for (const QString& word :
         entry.split(QRegularExpression(QStringLiteral("[\\s_-]+")), Qt::SkipEmptyParts))
      words += QRegularExpression::escape(word);
    if (words.isEmpty()) continue;
    alternatives +=
        words.join(QStringLiteral("[\\s_-]+")) + (prefix ? QStringLiteral("\\p{L}*") : QString());
  }
  FamilyFilter filter;
  filter.entries_ = static_cast<int>(alternatives.size());
  // A letter on either side means the entry is only part of a longer word.
  filter.pattern_ = QRegularExpression(
      QStringLiteral("(?<!\\p{L})(?:%1)(?!\\p{L})").arg(alternatives.join(u'|')),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
  filter.pattern_.optimize();
  return filter;
}

std::optional<FamilyFilter> FamilyFilter::load(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return std::nullopt;
  }
  FamilyFilter filter = parse(QString::fromUtf8(file.read(4 * 1024 * 1024)));
  if (filter.entries_ == 0) {
    *error = QStringLiteral("%1 lists no words").arg(path);
    return std::nullopt;
  }
  return filter;
}

bool FamilyFilter::matches(const QString& text) const {
  return entries_ > 0 && pattern_.match(text).hasMatch();
}

}  // namespace link_server
