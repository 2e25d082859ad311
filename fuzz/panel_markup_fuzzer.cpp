// The markup a display panel lays out, from any page: it is well formed, tables hold rows and
// rows hold cells, nothing that runs or styles gets through, and every cap holds (nesting of
// tables, of lists and quotes, of all elements, the element, cell and picture counts, the text and
// the bytes).
//
// Input: a caps byte (0: the program's caps, else small ones drawn from the next seven bytes, so
// that the cuts are reached), then the page's markup.
#include <gumbo.h>

#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "web/gumbo_tree.h"
#include "web/nesting_guard.h"
#include "web/panel_markup.h"

namespace {

web::PanelCaps CapsFrom(fuzz::Input& in) {
  web::PanelCaps caps;
  if (in.byte() == 0) return caps;
  caps.tableDepth = in.byte() % 5;
  caps.indentDepth = in.byte() % 9;
  caps.depth = 1 + in.byte() % 40;
  caps.elements = 1 + in.byte() * 8;
  caps.cells = in.byte() % 64;
  caps.images = in.byte() % 16;
  caps.textBytes = in.byte() * 16;
  caps.bytes = 64 + caps.textBytes * 4;
  return caps;
}

bool IsVoid(const std::string& name) { return name == "br" || name == "hr" || name == "img"; }

bool IsIndent(const std::string& name) {
  return name == "ul" || name == "ol" || name == "dl" || name == "blockquote";
}

// ` name="value"` pairs, values escaped, names from the panel's list only.
void CheckAttributes(const std::string& attributes) {
  static const std::set<std::string> allowed = {
      "bgcolor", "color",       "text",        "title",   "href",    "src",   "width",  "height",
      "border",  "cellspacing", "cellpadding", "colspan", "rowspan", "align", "valign", "size"};
  for (std::size_t at = 0; at < attributes.size();) {
    FUZZ_CHECK(attributes[at] == ' ', "attributes are apart");
    const std::size_t equals = attributes.find("=\"", at);
    FUZZ_CHECK(equals != std::string::npos, "every attribute has a quoted value");
    FUZZ_CHECK(allowed.count(attributes.substr(at + 1, equals - at - 1)) == 1,
               "no attribute outside the panel's list (no style, handler or font face)");
    const std::size_t close = attributes.find('"', equals + 2);
    FUZZ_CHECK(close != std::string::npos, "every value ends");
    FUZZ_CHECK(attributes.find('<', equals) > close, "values hold no <");
    at = close + 1;
  }
}

// Walks the markup as the layout engine's parser would and checks it against the caps.
void CheckMarkup(const std::string& markup, const web::PanelCaps& caps) {
  FUZZ_CHECK(markup.size() <= std::size_t(caps.bytes), "the markup is within its byte cap");
  std::vector<std::string> open;
  int tables = 0, indents = 0, elements = 0, cells = 0, images = 0;
  std::size_t text = 0;
  const int deepest = caps.depth + 2 * caps.tableDepth + caps.indentDepth;
  for (std::size_t at = 0; at < markup.size();) {
    if (markup[at] != '<') {
      const std::string& parent = open.empty() ? std::string() : open.back();
      FUZZ_CHECK(parent != "table" && parent != "tr", "no text between rows or cells");
      FUZZ_CHECK(markup[at] != '>', "text has no bare >");
      if (markup.compare(at, 3, "\xE2\x80\x8B") == 0) {  // a break the builder adds
        at += 3;
        continue;
      }
      if (markup[at] == '&') at = markup.find(';', at);
      FUZZ_CHECK(at != std::string::npos, "every entity ends");
      ++at;
      ++text;
      continue;
    }
    const std::size_t end = markup.find('>', at);
    FUZZ_CHECK(end != std::string::npos, "every tag ends");
    const std::string tag = markup.substr(at + 1, end - at - 1);
    at = end + 1;
    if (tag[0] == '/') {
      FUZZ_CHECK(!open.empty() && open.back() == tag.substr(1), "tags close in order");
      tables -= open.back() == "table";
      indents -= IsIndent(open.back());
      open.pop_back();
      continue;
    }
    const std::string name = tag.substr(0, tag.find(' '));
    FUZZ_CHECK(name != "script" && name != "style" && name != "iframe" && name != "object",
               "nothing that runs or loads reaches the panel");
    CheckAttributes(tag.substr(name.size()));
    const std::string parent = open.empty() ? std::string() : open.back();
    FUZZ_CHECK((parent == "table") == (name == "tr"), "tables hold rows, rows sit in tables");
    FUZZ_CHECK((parent == "tr") == (name == "td" || name == "th"), "rows hold cells only");
    FUZZ_CHECK(++elements <= caps.elements, "the element cap holds");
    cells += name == "td" || name == "th";
    FUZZ_CHECK(cells <= caps.cells, "the cell cap holds");
    images += name == "img";
    FUZZ_CHECK(images <= caps.images, "the picture cap holds");
    if (IsVoid(name)) continue;
    open.push_back(name);
    tables += name == "table";
    indents += IsIndent(name);
    FUZZ_CHECK(tables <= caps.tableDepth, "tables nest no deeper than their cap");
    FUZZ_CHECK(indents <= caps.indentDepth, "lists and quotes nest no deeper than their cap");
    FUZZ_CHECK(int(open.size()) <= deepest, "elements nest no deeper than their cap");
  }
  FUZZ_CHECK(open.empty(), "every element opened is closed");
  FUZZ_CHECK(text <= std::size_t(caps.textBytes), "the text cap holds");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const web::PanelCaps caps = CapsFrom(in);
  const web::GumboTree tree(web::limitNesting(QByteArray::fromStdString(in.rest())));
  CheckMarkup(web::panelMarkup(tree.root(), caps), caps);
  return 0;
}
