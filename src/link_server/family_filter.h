// Which pictures a family screen leaves out, judged by their file names and categories against
// a list of words and phrases. Rules of the list (one entry a line):
// - matched case-insensitively on word boundaries: "sex" finds "Sex education" and "sex-2.jpg"
//   but not "Essex"; spaces, underscores and hyphens inside an entry match each other;
// - a trailing "*" matches any ending ("pornograph*");
// - empty lines and lines starting with "#" are ignored.
#pragma once

#include <QRegularExpression>
#include <QString>
#include <optional>

namespace link_server {

class FamilyFilter {
 public:
  static FamilyFilter parse(const QString& list);
  // The list in the file; nothing (and why in *error) when it cannot be read or is empty.
  static std::optional<FamilyFilter> load(const QString& path, QString* error);

  bool matches(const QString& text) const;
  int entries() const { return entries_; }

 private:
  QRegularExpression pattern_;
  int entries_ = 0;
};

}  // namespace link_server
