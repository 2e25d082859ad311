// The written copy: the replacements applied one after another, case-insensitively, each to the
// result of the one before. The function does them in one scan where it can; these hold it to
// the one-after-another result, on the cases where the two could part.
#include "display/neutralised_markup.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/vb_text.h"

namespace {

const std::string kUrl = "http://a.test/dir/page.html";

// The replacements as a series of whole-text replacements: the definition.
std::string OneAfterAnother(std::string text, const std::string& url) {
  using vb::Replace;
  text = Replace(text, "</head>", "", true);
  text = Replace(text, "<HEAD>", "<HEAD><BASE href='" + Replace(url, "'", "%27") + "'>", true);
  const char* const rows[][2] = {
      {"<script", "<quorel"},          {"</script", "</quorel"},
      {"onload=", "quorelload="},      {"onunload=", "quorelunload="},
      {"onclick=", "quorelonclick="},  {"<embed", "<quorel-embed"},
      {"<object", "<quorel-object"},   {"self.", "self-quorel."},
      {"resizeTo", "resizeQUORELo"},   {"moveTo", "moveQUORELo"},
      {"window.", "window-quorel."},   {"<iframe", "<quorel-frame"},
      {"</iframe", "</quorel-iframe"}, {"onbeforeunload=", "quorelonbeforeunload="},
  };
  for (const auto& row : rows) text = Replace(text, row[0], row[1], true);
  return text;
}

TEST(NeutralisedMarkup, RenamesAsOneAfterAnother) {
  const struct Row {
    const char* name;
    std::string markup;
    std::string url;
    std::string expect;
  } rows[] = {
      {.name = "script in any case, base after the head",
       .markup = "<head><title>t</title></head><body><SCRIPT>x()</ScRiPt></body>",
       .url = kUrl,
       .expect =
           "<HEAD><BASE href='" + kUrl + "'><title>t</title><body><quorel>x()</quorel></body>"},
      {.name = "handlers, plug-ins, frames and window calls",
       .markup = "<body onLoad=a() onclick=b()><embed><object><iframe></iframe>"
                 "self.moveTo(1) window.resizeTo(2)</body>",
       .url = kUrl,
       .expect = "<body quorelload=a() quorelonclick=b()><quorel-embed><quorel-object>"
                 "<quorel-frame></quorel-iframe>self-quorel.moveQUORELo(1) "
                 "window-quorel.resizeQUORELo(2)</body>"},
      {.name = "an apostrophe in the address stays inside the BASE value",
       .markup = "<head></head>",
       .url = "http://a.test/it's",
       .expect = "<HEAD><BASE href='http://a.test/it%27s'>"},
      // An earlier row takes the overlapping word first.
      {.name = "onload= inside resizeTo",
       .markup = "resizeTonload=",
       .url = kUrl,
       .expect = "resizeTquorelload="},
      // A later row finds a word that an earlier one's text completed.
      {.name = "moveTo leaves the o of onbeforeunload=",
       .markup = "moveTonbeforeunload=",
       .url = kUrl,
       .expect = "moveQUORELquorelonbeforeunload="},
      {.name = "taking out </head> joins a <head>",
       .markup = "<</head>head>",
       .url = kUrl,
       .expect = "<HEAD><BASE href='" + kUrl + "'>"},
      {.name = "a word in the BASE address is renamed too",
       .markup = "<head>",
       .url = "http://a.test/window.html",
       .expect = "<HEAD><BASE href='http://a.test/window-quorel.html'>"},
      {.name = "nothing to rename",
       .markup = "<p>plain &amp; simple</p>",
       .url = kUrl,
       .expect = "<p>plain &amp; simple</p>"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(NeutralisedMarkup(row.markup, row.url, true), row.expect);
    EXPECT_EQ(OneAfterAnother(row.markup, row.url), row.expect);
  }
}

// Texts strung from pieces of the words, so that words overlap, touch and form across the
// pieces in every way a few thousand draws find.
TEST(NeutralisedMarkup, AgreesWithOneAfterAnotherOnMixedPieces) {
  const std::string pieces[] = {"<",      "</",   "head>", "<head>",  "</head>", "script",
                                "SCRIPT", "on",   "load=", "unload=", "click=",  "before",
                                "self.",  "SELF", ".",     "resize",  "To",      "move",
                                "t",      "o",    "n",     "window",  "iframe",  "embed",
                                "object", "x",    " ",     "=",       "&amp;",   "quorel"};
  std::mt19937 random(20261207);
  std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> length(1, 24);
  for (int draw = 0; draw < 4000; ++draw) {
    std::string markup;
    for (int n = length(random); n > 0; --n) markup += pieces[piece(random)];
    const std::string url = draw % 2 ? kUrl : "http://a.test/" + markup;
    ASSERT_EQ(NeutralisedMarkup(markup, url, true), OneAfterAnother(markup, url))
        << "draw " << draw << ": " << markup;
  }
}

TEST(NeutralisedMarkup, WithoutBaseLeavesTheHeadAlone) {
  EXPECT_EQ(NeutralisedMarkup("<head></head><script>", kUrl, false), "<head></head><quorel>");
}

}  // namespace
