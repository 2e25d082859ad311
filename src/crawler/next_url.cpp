#include "crawler/next_url.h"

#include "core/logs.h"
#include "core/program.h"
#include "core/vb_text.h"
#include "core/vendor.h"
#include "crawler/browse_to.h"

namespace {

// The search engines' query addresses around the "+"-joined phrase.
std::string SearchUrl(int engine, const std::string& phrase) {
  switch (engine) {
    case 0:
      return std::string("http://") + kSearchHosts[0] +
             "/images?hl=en&lr=&ie=UTF-8&oe=UTF-8&q=" + phrase + "&sa=N&tab=wi";
    case 1:
      return std::string("http://") + kSearchHosts[1] +
             "/search?avkw=fogg&cat=img&cs=utf-8&q=" + phrase;
    default:
      return std::string("http://") + kSearchHosts[2] + "/search/images?p=" + phrase +
             "&ei=UTF-8&fr=fp-tab-img-t&cop=mss&tab=3";
  }
}

}  // namespace

void NextUrl(Program& program, std::string& phrase) {
  AddTrace(program, "NextUrl IN");
  // phrase may be program.phrase itself: everything is read from it before that is emptied.
  const auto length = vb::Len(phrase);
  if (length == 0) {
    program.depth = -1;
    program.startUrl =
        VendorUrl("/quorel/bin/getlinks.asp") + (program.settings.AdultMode ? "?mode=adult" : "");
    program.phrase.clear();
    const std::string url = program.startUrl;
    BrowseTo(program, url, ChosenBy::Program);
  } else if (length >= 7) {
    phrase = vb::Replace(phrase, " ", "+");
    // Rounding 2r half to even: Google and Yahoo get a quarter each, AllTheWeb half.
    const int engine = vb::CLng(2.0 * program.rnd());
    program.startUrl = SearchUrl(engine, phrase);
    AddStatus(program, "[NextURL] phrase=" + phrase + ", url=" + program.startUrl);
    program.depth = 3;
    program.phrase.clear();
    const std::string url = program.startUrl;
    BrowseTo(program, url, ChosenBy::Program);
  } else {
    AddStatus(program, "[NextUrl] phrase too short");
    program.phrase.clear();
  }
  AddTrace(program, "NextUrl OUT");
}
