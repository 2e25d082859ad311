#include "display/neutralised_markup.h"

#include <algorithm>
#include <array>
#include <deque>
#include <optional>
#include <string_view>
#include <vector>

#include "core/vb_text.h"

namespace {

struct Rename {
  std::string_view find;  // lower case; matched whatever the case
  std::string_view with;
};

// Renamed, not removed: the browser ignores unknown tags and attributes, and the page keeps
// its shape for the crawl to read links and images from. Each rename applies to the text the
// ones before it left.
constexpr Rename kRenames[] = {
    {"<script", "<quorel"},          {"</script", "</quorel"},
    {"onload=", "quorelload="},      {"onunload=", "quorelunload="},
    {"onclick=", "quorelonclick="},  {"<embed", "<quorel-embed"},
    {"<object", "<quorel-object"},   {"self.", "self-quorel."},
    {"resizeto", "resizeQUORELo"},   {"moveto", "moveQUORELo"},
    {"window.", "window-quorel."},   {"<iframe", "<quorel-frame"},
    {"</iframe", "</quorel-iframe"}, {"onbeforeunload=", "quorelonbeforeunload="},
};

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The renames, found by their first byte: most bytes of a page start none of them.
class Rules {
 public:
  explicit Rules(std::vector<Rename> renames) : renames_(std::move(renames)) {
    for (std::size_t i = 0; i < renames_.size(); ++i) {
      const auto first = static_cast<unsigned char>(renames_[i].find.front());
      byFirst_[first].push_back(i);
      starts_[first] = true;
      if (first >= 'a' && first <= 'z') {
        byFirst_[first - 'a' + 'A'].push_back(i);
        starts_[first - 'a' + 'A'] = true;
      }
      longest_ = std::max(longest_, renames_[i].find.size());
    }
  }
  std::size_t size() const { return renames_.size(); }
  const Rename& operator[](std::size_t i) const { return renames_[i]; }
  std::size_t longest() const { return longest_; }
  bool mayStart(char c) const { return starts_[static_cast<unsigned char>(c)]; }

  // The rename whose word starts at text[at], if any (no word is another's beginning).
  std::optional<std::size_t> at(std::string_view text, std::size_t at) const {
    for (std::size_t i : byFirst_[static_cast<unsigned char>(text[at])]) {
      const std::string_view find = renames_[i].find;
      if (text.size() - at < find.size()) continue;
      if (std::equal(find.begin(), find.end(), text.begin() + std::ptrdiff_t(at),
                     [](char f, char t) { return f == fold(t); }))
        return i;
    }
    return std::nullopt;
  }

 private:
  std::vector<Rename> renames_;
  std::array<std::vector<std::size_t>, 256> byFirst_;
  std::array<bool, 256> starts_{};
  std::size_t longest_ = 0;
};

// One rename after another over the whole text: the definition.
std::string OneByOne(std::string text, const Rules& rules) {
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const Rules one({rules[i]});
    std::string out;
    std::size_t copied = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
      if (!one.mayStart(text[at]) || !one.at(text, at)) continue;
      out.append(text, copied, at - copied).append(rules[i].with);
      copied = at + rules[i].find.size();
      at = copied - 1;
    }
    if (copied == 0) continue;
    out.append(text, copied);
    text = std::move(out);
  }
  return text;
}

// All renames in one scan. The same as one after another unless, in this text, two words
// overlap ("resizeTonload=") or a rename's text makes a later word with its neighbours (the
// "o" of "moveQUORELo" before "nbeforeunload=", a BASE address with "self." in it, "<head>"
// joined by taking out "</head>"); then false, and the text is left as it was.
bool AllAtOnce(std::string& text, const Rules& rules) {
  struct Span {
    std::size_t begin, end, rule;  // in the output
  };
  std::string out;
  std::deque<Span> unchecked;
  // Does a later word cross a span's edges, or lie inside it? Asked once the output runs far
  // enough past the span.
  const auto makesNoWord = [&](const Span& span) {
    const std::size_t from = span.begin >= rules.longest() ? span.begin - rules.longest() + 1 : 0;
    for (std::size_t q = from; q < span.end && q < out.size(); ++q) {
      if (!rules.mayStart(out[q])) continue;
      const std::optional<std::size_t> word = rules.at(out, q);
      if (word && *word > span.rule && q + rules[*word].find.size() > span.begin) return false;
    }
    return true;
  };
  std::size_t copied = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (!rules.mayStart(text[at])) continue;
    const std::optional<std::size_t> rule = rules.at(text, at);
    if (!rule) continue;
    const std::size_t length = rules[*rule].find.size();
    for (std::size_t inside = at + 1; inside < at + length; ++inside)
      if (rules.mayStart(text[inside]) && rules.at(text, inside)) return false;
    if (out.empty()) out.reserve(text.size() + text.size() / 8);
    out.append(text, copied, at - copied);
    unchecked.push_back({out.size(), out.size() + rules[*rule].with.size(), *rule});
    out.append(rules[*rule].with);
    copied = at + length;
    at = copied - 1;
    while (!unchecked.empty() && unchecked.front().end + rules.longest() <= out.size()) {
      if (!makesNoWord(unchecked.front())) return false;
      unchecked.pop_front();
    }
  }
  if (copied == 0) return true;
  out.append(text, copied);
  for (const Span& span : unchecked)
    if (!makesNoWord(span)) return false;
  text = std::move(out);
  return true;
}

// The address goes inside a single-quoted attribute: an apostrophe in it would end the value
// early and let the rest of the address be read as markup.
std::string QuotableAddress(const std::string& url) { return vb::Replace(url, "'", "%27"); }

}  // namespace

std::string NeutralisedMarkup(std::string markup, const std::string& url, bool useBase) {
  std::vector<Rename> renames;
  const std::string base = "<HEAD><BASE href='" + QuotableAddress(url) + "'>";
  if (useBase) renames = {{"</head>", ""}, {"<head>", base}};
  renames.insert(renames.end(), std::begin(kRenames), std::end(kRenames));
  const Rules rules(std::move(renames));
  if (AllAtOnce(markup, rules)) return markup;
  return OneByOne(std::move(markup), rules);
}
