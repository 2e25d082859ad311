#include "crawler/next_url.h"

#include <iterator>

#include "core/logs.h"
#include "core/program.h"
#include "core/search_forms.h"
#include "core/vb_text.h"
#include "core/vendor.h"
#include "crawler/browse_to.h"

static_assert(kSearchForms.size() == std::size(kSearchHosts), "a search host for every form");

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
    program.startUrl = SearchAddress(kSearchForms[engine], kSearchHosts[engine], phrase);
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
