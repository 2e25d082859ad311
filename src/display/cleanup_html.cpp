#include "display/cleanup_html.h"

#include <string>
#include <string_view>

#include "app/logs.h"
#include "app/program.h"
#include "app/vb_text.h"
#include "display/trapped_error.h"

namespace {

struct Rename {
  std::string_view find;
  std::string_view with;
};

// Renamed, not removed: the browser ignores unknown tags and attributes, and the page keeps
// its shape for the crawl to read links and images from.
constexpr Rename kRenames[] = {
    {"<script", "<quorel"},
    {"</script", "</quorel"},
    {"onload=", "quorelload="},
    {"onunload=", "quorelunload="},
    {"onclick=", "quorelonclick="},
    {"<embed", "<quorel-embed"},
    {"<object", "<quorel-object"},
    {"self.", "self-quorel."},
    {"resizeTo", "resizeQUORELo"},
    {"moveTo", "moveQUORELo"},
    {"window.", "window-quorel."},
    {"<iframe", "<quorel-frame"},
    {"</iframe", "</quorel-iframe"},
    {"onbeforeunload=", "quorelonbeforeunload="},
};

// The address goes inside a single-quoted attribute: an apostrophe in it would end the value
// early and let the rest of the address be read as markup.
std::string QuotableAddress(const std::string& url) { return vb::Replace(url, "'", "%27"); }

}  // namespace

std::string CleanupHTML(Program& program, platform::Document& doc, bool useBase) {
  AddTrace(program, "CleanupHTML IN");
  std::string result;
  try {
    std::string text = doc.innerHTML();
    result = text;
    if (!text.empty()) {
      doc.close();
      if (useBase) {
        text = vb::Replace(text, "</head>", "", true);
        text = vb::Replace(text, "<HEAD>",
                           "<HEAD><BASE href='" + QuotableAddress(doc.url()) + "'>", true);
      }
      for (const Rename& rename : kRenames) text = vb::Replace(text, rename.find, rename.with, true);
      platform::Document& work = program.workBrowser().document();
      work.clear();
      work.write(text);
      result = text;
    }
  } catch (const std::exception& error) {
    AddStatus(program, "[ERROR] CleanupHTML(): " + TrappedError(error));
  }
  AddTrace(program, "CleanupHTML OUT");
  return result;
}
