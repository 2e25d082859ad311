// The page neutraliser on arbitrary markup and document addresses. Besides memory and
// undefined-behaviour faults it checks what the neutraliser promises: the markup it writes
// into the work browser's document holds no script, frame or plug-in start tag, no load
// handler and no window call left to act on, and it is what the function returns.
//
// Input: mode byte (0x01 no BASE, 0x02 no documentElement), address length byte, the
// address, then the markup.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/program.h"
#include "core/vb_text.h"
#include "display/cleanup_html.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "support/harness.h"

namespace {

bool Contains(const std::string& text, const char* what) {
  return vb::InStr(vb::LCase(text), what) > 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One program for the whole run: the neutraliser keeps no state of its own.
  static fake::Harness h;

  fuzz::Input in(data, size);
  const std::uint8_t mode = in.byte();
  std::string url;
  for (std::uint8_t n = in.byte(); n > 0; --n) url.push_back(static_cast<char>(in.byte()));
  const std::string markup = in.rest();

  auto& work = h.work().fakeDocument();
  work.writes.clear();
  fake::FakeDocument doc;
  doc.withUrl(url).withHtml(markup);
  if (mode & 0x02) doc.withoutDocumentElement();

  const std::string result = CleanupHTML(h.program, doc, (mode & 0x01) == 0);

  if (mode & 0x02) {
    FUZZ_CHECK(result.empty() && work.writes.empty(), "a missing documentElement writes nothing");
    return 0;
  }
  if (markup.empty()) {
    FUZZ_CHECK(result.empty() && work.writes.empty(), "empty markup writes nothing");
    return 0;
  }
  FUZZ_CHECK(work.writes.size() == 1, "one write into the work browser's document");
  FUZZ_CHECK(work.writes.front() == result, "the result is the text written");
  for (const char* inert : {"<script", "</script", "<iframe", "</iframe", "<embed", "<object",
                            "onload=", "window.", "self.", "resizeto", "moveto"})
    FUZZ_CHECK(!Contains(result, inert), inert);
  return 0;
}
