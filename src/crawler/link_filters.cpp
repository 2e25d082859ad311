#include "crawler/link_filters.h"

#include "core/logs.h"
#include "core/program.h"
#include "core/vb_text.h"

void AddBadLinks(std::vector<std::string>& badLinks) {
  // Navigation, help, advertising, mail and script links, and sites whose pages never lead to
  // pictures worth showing. Order matters only for speed: the common ones come first.
  static const char* const kEntries[] = {
      "preferences?",
      "services/",
      "/ads/",
      "options/",
      "logo.gif",
      "nav_",
      "#",
      "dictionary.com",
      "reference.com",
      "www.google.com",
      // The trailing slash keeps the image-search result pages themselves ("/images?") usable.
      "google.com/images/",
      "google.com/imghp",
      "advanced?",
      "mailto:",
      "news:",
      "language_tools",
      "services.google",
      "toolbar.google",
      "spacer.gif",
      "javascript",
      "/answers/",
      "google.com/about",
      "google.com/help",
      "google.com/jobs",
      "googlegroups",
      "groups.google.com",
      "images.google.com/intl/",
      "arrow.gif",
      "blank.gif",
      "/swr?",
      "microsoft.com",
      "akamai.net",
      "shopping.yahoo.com",
      ".yimg.com",
      "help.yahoo.com",
      "alltheweb.com/help",
      "www.mozilla.org",
      "alltheweb.com/advanced",
      "rds.yahoo.com",
      "dummy.htm",
      "dummy.html",
      "/members/",
      "www.alltheweb.com/customize?",
      "www.alltheweb.com/search?c=web",
      "www.alltheweb.com/search?c=mp3",
      "www.alltheweb.com/search?c=vid",
      "www.alltheweb.com/search?c=ftp",
      "www.alltheweb.com/info/",
      "yp.yahoo.com",
      "adulthitcounter.com",
      "adultlinklist.com",
      "maps.yahoo.com",
      "a248.e.akamai.net",
      "clicks.cgi",
      "advanced_image_search",
      "?c=mp3",
      "?c=vid",
      "banner.",
  };
  for (const char* entry : kEntries) badLinks.emplace_back(entry);
}

bool BadLink(Program& program, const std::string& url) {
  AddTrace(program, "BadLink IN");
  if (url.empty()) return true;  // leaves without the exit line
  bool bad = false;
  for (const auto& entry : program.badLinks) {
    if (vb::InStr(url, entry) > 0) {
      bad = true;
      break;
    }
  }
  AddTrace(program, "BadLink OUT");
  return bad;
}

bool GoodExtension(Program& program, const std::string& ending) {
  AddTrace(program, "GoodExtension IN");
  const std::string lower = vb::LCase(ending);
  // "jpeg" without a dot: the last four characters of a ".jpeg" address.
  const bool good = lower == ".jpg" || lower == "jpeg" || lower == ".gif" || lower == ".png";
  if (!good) AddStatus(program, "[BadExtension] " + ending);
  AddTrace(program, "GoodExtension OUT");
  return good;
}

std::string StripPunctuation(Program& program, const std::string& text) {
  AddTrace(program, "StripPunctuation IN");
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (code == 39) continue;  // an apostrophe joins the word: "don't" -> "dont"
    const bool punctuation = (code >= 33 && code <= 47) || (code >= 58 && code <= 64) ||
                             (code >= 91 && code <= 96) || (code >= 123 && code <= 126);
    // Bytes above 127 are parts of UTF-8 letters and pass unchanged.
    result.push_back(punctuation ? ' ' : c);
  }
  AddTrace(program, "StripPunctuation OUT");
  return result;
}
