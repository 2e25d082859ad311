// The charset a page names in its first kilobyte, found by a byte scan that reads meta
// elements only. (Header, byte-order mark and fallback, through the engine: navigation_test.cpp.)
#include "web/charset.h"

#include <gtest/gtest.h>

namespace {

// What the byte 0xE9 becomes under the label the scan finds.
const QByteArray kKoi8 = "\xD0\x98";      // koi8-r
const QByteArray kCyrillic = "\xD1\x89";  // iso-8859-5
const QByteArray kWestern = "\xC3\xA9";   // windows-1252: nothing named, or nothing usable
const QByteArray kRaw = "\xE9";           // utf-8: left for the parser to replace

TEST(MetaCharset, OnlyWhatAMetaElementSaysCounts) {
  const struct Row {
    const char* name;
    QByteArray head;
    QByteArray decoded;
  } rows[] = {
      {.name = "charset attribute", .head = "<meta charset=koi8-r>", .decoded = kKoi8},
      {.name = "quoted, spaced, upper case",
       .head = "<META CHARSET = \" KOI8-R \">",
       .decoded = kKoi8},
      {.name = "content with http-equiv",
       .head = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">",
       .decoded = kKoi8},
      {.name = "content before http-equiv, label quoted",
       .head = "<meta content='text/html;charset=\"koi8-r\"' http-equiv=content-type>",
       .decoded = kKoi8},
      {.name = "content without http-equiv",
       .head = "<meta content=\"text/html; charset=koi8-r\">",
       .decoded = kWestern},
      {.name = "the first of two equal attributes",
       .head = "<meta charset=koi8-r charset=iso-8859-5>",
       .decoded = kKoi8},
      {.name = "an unknown label, then a known one",
       .head = "<meta charset=no-such-thing><meta charset=iso-8859-5>",
       .decoded = kCyrillic},
      {.name = "inside a comment", .head = "<!-- <meta charset=koi8-r> -->", .decoded = kWestern},
      {.name = "after a comment closed by its own dashes",
       .head = "<!--><meta charset=koi8-r>",
       .decoded = kKoi8},
      {.name = "inside another tag's attribute",
       .head = "<a title=\"<meta charset=koi8-r>\">",
       .decoded = kWestern},
      {.name = "a tag that only starts like meta",
       .head = "<metadata charset=koi8-r>",
       .decoded = kWestern},
      {.name = "after the first kilobyte",
       .head = QByteArray(1024, ' ') + "<meta charset=koi8-r>",
       .decoded = kWestern},
      {.name = "cut off by the first kilobyte",
       .head = QByteArray(1000, ' ') + "<meta charset=\"koi8-r" + QByteArray(30, ' ') + "\">",
       .decoded = kWestern},
      {.name = "utf-16 in ascii bytes is utf-8",
       .head = "<meta charset=utf-16le>",
       .decoded = kRaw},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(web::decodeToUtf8(row.head + "\xE9", "text/html", true).endsWith(row.decoded));
  }
}

}  // namespace
