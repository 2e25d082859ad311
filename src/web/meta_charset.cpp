#include "web/meta_charset.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace web {
namespace {

bool isSpace(char c) { return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' '; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

struct Attribute {
  QByteArray name;
  QByteArray value;
};

// Walks the bytes; running off their end anywhere inside a construct ends the scan with
// nothing found, as a truncated head names no charset.
class Scan {
 public:
  explicit Scan(QByteArrayView in) : in_(in) {}
  bool atEnd() const { return at_ >= in_.size(); }
  char at() const { return in_[at_]; }
  void next() { ++at_; }
  void advance(qsizetype n) { at_ += n; }
  bool startsWith(QByteArrayView lowerWord) const {
    if (in_.size() - at_ < lowerWord.size()) return false;
    for (qsizetype i = 0; i < lowerWord.size(); ++i) {
      if (lower(in_[at_ + i]) != lowerWord[i]) return false;
    }
    return true;
  }
  char peek(qsizetype ahead) const { return at_ + ahead < in_.size() ? in_[at_ + ahead] : '\0'; }
  // Moves to the first byte from here on that is in stops; false at the end.
  bool skipTo(QByteArrayView stops) {
    for (; !atEnd(); ++at_) {
      if (stops.contains(at())) return true;
    }
    return false;
  }
  bool skipPast(QByteArrayView word) {
    const qsizetype found = in_.indexOf(word, at_);
    at_ = found < 0 ? in_.size() : found + word.size() - 1;  // on its last byte
    return found >= 0;
  }
  // The next attribute of a tag; nullopt at its '>' or at the end.
  std::optional<Attribute> attribute() {
    while (!atEnd() && (isSpace(at()) || at() == '/')) next();
    if (atEnd() || at() == '>') return std::nullopt;
    Attribute attribute;
    for (;; next()) {
      if (atEnd()) return std::nullopt;
      const char c = at();
      if (c == '=' && !attribute.name.isEmpty()) break;
      if (isSpace(c)) {
        while (!atEnd() && isSpace(at())) next();
        if (atEnd()) return std::nullopt;
        if (at() != '=') return attribute;
        break;
      }
      if (c == '/' || c == '>') return attribute;
      attribute.name += lower(c);
    }
    next();  // the '='
    while (!atEnd() && isSpace(at())) next();
    if (atEnd()) return std::nullopt;
    if (at() == '"' || at() == '\'') {
      const char quote = at();
      for (next(); !atEnd(); next()) {
        if (at() == quote) {
          next();
          return attribute;
        }
        attribute.value += lower(at());
      }
      return std::nullopt;
    }
    for (; !atEnd(); next()) {
      if (isSpace(at()) || at() == '>') return attribute;
      attribute.value += lower(at());
    }
    return std::nullopt;
  }

 private:
  QByteArrayView in_;
  qsizetype at_ = 0;
};

// "text/html; charset=x" and its spellings: the label after "charset", an equals sign and
// optional quotes.
QByteArray charsetInContent(const QByteArray& content) {
  for (qsizetype from = 0;;) {
    const qsizetype found = content.indexOf("charset", from);
    if (found < 0) return {};
    qsizetype p = found + 7;
    while (p < content.size() && isSpace(content[p])) ++p;
    if (p >= content.size() || content[p] != '=') {
      from = p;
      continue;
    }
    ++p;
    while (p < content.size() && isSpace(content[p])) ++p;
    if (p >= content.size()) return {};
    const char first = content[p];
    if (first == '"' || first == '\'') {
      const qsizetype close = content.indexOf(first, p + 1);
      return close < 0 ? QByteArray() : content.sliced(p + 1, close - p - 1);
    }
    qsizetype end = p;
    while (end < content.size() && !isSpace(content[end]) && content[end] != ';') ++end;
    return content.sliced(p, end - p);
  }
}

}  // namespace

QByteArray metaCharset(QByteArrayView head, const std::function<bool(const QByteArray&)>& known) {
  const auto encoding = [&](const QByteArray& label) {
    const QByteArray clean = label.trimmed();
    return !clean.isEmpty() && known(clean) ? clean : QByteArray();  // "": not one we know
  };
  Scan scan(head);
  for (; !scan.atEnd(); scan.next()) {
    if (scan.startsWith("<!--")) {
      // The dashes of the opening may close it too: "<!-->" is a whole comment.
      scan.advance(2);
      if (!scan.skipPast("-->")) return {};
    } else if (scan.startsWith("<meta") && (isSpace(scan.peek(5)) || scan.peek(5) == '/')) {
      scan.advance(5);
      std::vector<QByteArray> seen;
      bool gotPragma = false;
      std::optional<bool> needPragma;
      std::optional<QByteArray> charset;  // "" once a named label proved unknown
      while (std::optional<Attribute> attribute = scan.attribute()) {
        if (std::find(seen.begin(), seen.end(), attribute->name) != seen.end()) continue;
        seen.push_back(attribute->name);
        if (attribute->name == "http-equiv") {
          gotPragma = gotPragma || attribute->value == "content-type";
        } else if (attribute->name == "content") {
          const QByteArray named = encoding(charsetInContent(attribute->value));
          if (!named.isEmpty() && !charset) {
            charset = named;
            needPragma = true;
          }
        } else if (attribute->name == "charset") {
          charset = encoding(attribute->value);
          needPragma = false;
        }
      }
      if (scan.atEnd()) return {};
      if (!needPragma || (*needPragma && !gotPragma) || !charset || charset->isEmpty()) continue;
      return *charset;
    } else if (scan.at() == '<' &&
               (isLetter(scan.peek(1)) || (scan.peek(1) == '/' && isLetter(scan.peek(2))))) {
      scan.advance(1);
      if (!scan.skipTo("\t\n\f\r >")) return {};
      while (scan.attribute()) {
      }
      if (scan.atEnd()) return {};
    } else if (scan.startsWith("<!") || scan.startsWith("</") || scan.startsWith("<?")) {
      scan.advance(1);
      if (!scan.skipTo(">")) return {};
    }
  }
  return {};
}

}  // namespace web
