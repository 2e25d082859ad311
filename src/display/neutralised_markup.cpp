#include "display/neutralised_markup.h"

#include <string_view>

#include "core/vb_text.h"

namespace {

struct Rename {
  std::string_view find;
  std::string_view with;
};

// Renamed, not removed: the browser ignores unknown tags and attributes, and the page keeps
// its shape for the crawl to read links and images from.
constexpr Rename kRenames[] = {
    {"<script", "<quorel"},          {"</script", "</quorel"},
    {"onload=", "quorelload="},      {"onunload=", "quorelunload="},
    {"onclick=", "quorelonclick="},  {"<embed", "<quorel-embed"},
    {"<object", "<quorel-object"},   {"self.", "self-quorel."},
    {"resizeTo", "resizeQUORELo"},   {"moveTo", "moveQUORELo"},
    {"window.", "window-quorel."},   {"<iframe", "<quorel-frame"},
    {"</iframe", "</quorel-iframe"}, {"onbeforeunload=", "quorelonbeforeunload="},
};

// The markup with a lower-cased copy kept alongside: each pattern is looked for once in the
// copy, and only a pattern present costs a rewrite (of both, at the same positions). Same
// result as replacing pattern after pattern, case-insensitively, over the whole text.
class FoldedText {
 public:
  explicit FoldedText(std::string text) : text_(std::move(text)), folded_(vb::LCase(text_)) {}

  void replace(std::string_view find, std::string_view with) {
    const std::string needle = vb::LCase(find);
    std::size_t at = folded_.find(needle);
    if (at == std::string::npos) return;
    const std::string foldedWith = vb::LCase(with);
    std::string text, folded;
    text.reserve(text_.size());
    folded.reserve(text_.size());
    std::size_t from = 0;
    for (; at != std::string::npos; at = folded_.find(needle, from)) {
      text.append(text_, from, at - from).append(with);
      folded.append(folded_, from, at - from).append(foldedWith);
      from = at + needle.size();
    }
    text.append(text_, from);
    folded.append(folded_, from);
    text_ = std::move(text);
    folded_ = std::move(folded);
  }
  std::string& text() { return text_; }

 private:
  std::string text_;
  std::string folded_;
};

// The address goes inside a single-quoted attribute: an apostrophe in it would end the value
// early and let the rest of the address be read as markup.
std::string QuotableAddress(const std::string& url) { return vb::Replace(url, "'", "%27"); }

}  // namespace

std::string NeutralisedMarkup(std::string markup, const std::string& url, bool useBase) {
  FoldedText text(std::move(markup));
  if (useBase) {
    text.replace("</head>", "");
    text.replace("<HEAD>", "<HEAD><BASE href='" + QuotableAddress(url) + "'>");
  }
  for (const Rename& rename : kRenames) text.replace(rename.find, rename.with);
  return std::move(text.text());
}
