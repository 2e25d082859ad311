#include "web/nesting_guard.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace web {
namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool nameIn(const QByteArray& name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

// Elements whose content is text up to their own end tag.
bool isRawText(const QByteArray& name) {
  return nameIn(name,
                {"script", "style", "xmp", "iframe", "noembed", "noframes", "textarea", "title"});
}

// Elements that never hold children or that the tree builder closes by itself when the next
// one starts, so they never stack up.
bool neverNests(const QByteArray& name) {
  return nameIn(
      name,
      {"area",  "base",    "br",     "col",   "embed", "hr",       "img",     "input",    "link",
       "meta",  "param",   "source", "track", "wbr",   "keygen",   "frame",   "basefont", "bgsound",
       "image", "isindex", "p",      "li",    "dt",    "dd",       "option",  "optgroup", "tr",
       "td",    "th",      "tbody",  "thead", "tfoot", "colgroup", "caption", "rb",       "rt",
       "rtc",   "rp",      "html",   "head",  "body",  "a",        "nobr",    "button",   "form"});
}

qsizetype findCaseInsensitive(const QByteArray& haystack, const QByteArray& needle,
                              qsizetype from) {
  const qsizetype n = haystack.size(), m = needle.size();
  for (qsizetype i = from; i + m <= n; ++i) {
    i = haystack.indexOf('<', i);
    if (i < 0 || i + m > n) return -1;
    if (qstrnicmp(haystack.constData() + i, needle.constData(), size_t(m)) == 0) return i;
  }
  return -1;
}

}  // namespace

QByteArray limitNesting(const QByteArray& html, int maxDepth, int* dropped) {
  const char* s = html.constData();
  const qsizetype n = html.size();
  std::vector<QByteArray> open;
  std::vector<std::pair<qsizetype, qsizetype>> cuts;
  qsizetype i = 0;
  while (i < n) {
    const qsizetype lt = html.indexOf('<', i);
    if (lt < 0 || lt + 1 >= n) break;
    const char c = s[lt + 1];
    if (c == '!' && lt + 3 < n && s[lt + 2] == '-' && s[lt + 3] == '-') {
      const qsizetype end = html.indexOf("-->", lt + 4);
      i = end < 0 ? n : end + 3;
      continue;
    }
    if (c == '!' || c == '?' || (c == '/' && (lt + 2 >= n || !isAsciiLetter(s[lt + 2])))) {
      const qsizetype end = html.indexOf('>', lt + 1);
      i = end < 0 ? n : end + 1;
      continue;
    }
    if (c != '/' && !isAsciiLetter(c)) {
      i = lt + 1;
      continue;
    }
    const bool isEnd = c == '/';
    qsizetype p = lt + (isEnd ? 2 : 1);
    const qsizetype nameStart = p;
    while (p < n && !isSpace(s[p]) && s[p] != '/' && s[p] != '>') ++p;
    const QByteArray name = QByteArray(s + nameStart, p - nameStart).toLower();
    // Find the tag's end; quotes count only where an attribute value starts.
    bool afterEquals = false;
    while (p < n && s[p] != '>') {
      if (s[p] == '=') {
        afterEquals = true;
      } else if (afterEquals && (s[p] == '"' || s[p] == '\'')) {
        const qsizetype close = html.indexOf(s[p], p + 1);
        p = close < 0 ? n : close;
        afterEquals = false;
      } else if (!isSpace(s[p])) {
        afterEquals = false;
      }
      ++p;
    }
    const qsizetype tagEnd = p < n ? p + 1 : n;
    i = tagEnd;
    if (isEnd) {
      // Pop to the matching open element, looking only near the top.
      const qsizetype lowest = std::max<qsizetype>(0, qsizetype(open.size()) - 64);
      for (qsizetype k = qsizetype(open.size()) - 1; k >= lowest; --k) {
        if (open[size_t(k)] == name) {
          open.resize(size_t(k));
          break;
        }
      }
      continue;
    }
    if (name == "plaintext") break;
    if (isRawText(name)) {
      const qsizetype close = findCaseInsensitive(html, "</" + name, tagEnd);
      i = close < 0 ? n : close;
      continue;
    }
    const bool selfClosing = tagEnd >= 2 && s[tagEnd - 2] == '/';
    if (neverNests(name) || selfClosing) continue;
    if (int(open.size()) >= maxDepth) {
      cuts.emplace_back(lt, tagEnd);
      continue;
    }
    open.push_back(name);
  }
  if (dropped) *dropped = int(cuts.size());
  if (cuts.empty()) return html;
  QByteArray out;
  out.reserve(n);
  qsizetype from = 0;
  for (const auto& [start, end] : cuts) {
    out.append(s + from, start - from);
    from = end;
  }
  out.append(s + from, n - from);
  return out;
}

}  // namespace web
