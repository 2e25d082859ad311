#include "display/get_image.h"

#include <string>

#include "core/logs.h"
#include "core/program.h"
#include "core/vb_text.h"
#include "crawler/get_link.h"
#include "crawler/link_filters.h"
#include "display/display_slots.h"

namespace {

// A page gets this many rejections, bad links and bad sizes together, before it is given up.
constexpr std::int32_t kRejectionBudget = 20;

// An index into n images: ends half as likely as the inner ones (halves go to even).
std::int32_t DrawIndex(Program& program, int n) {
  return vb::CLng(static_cast<double>(program.rnd()) * (n - 1));
}

}  // namespace

std::string SizeText(std::int32_t width, std::int32_t height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

bool GoodImage(Program& program, std::int32_t width, std::int32_t height) {
  AddTrace(program, "GoodImage IN");
  const bool good = FitsSizeWindow(program.settings, width, height);
  AddTrace(program, "GoodImage OUT");
  return good;
}

// The page is read live: other events run during the yield below and may change it, so the
// count and every element are fetched afresh instead of being kept.
void GetImage(Program& program, platform::Document& doc) {
  AddTrace(program, "GetImage IN");
  int n = doc.imageCount();
  if (n < 1) {
    AddStatus(program, "[GetImage()] no images, trying links");
    GetLink(program, doc);
    AddTrace(program, "GetImage OUT");
    return;
  }
  AddStatus(program, "[GetImage] there are " + std::to_string(n) + " images");

  std::int32_t rejected = 0;
  std::int32_t index = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  for (;;) {
    n = doc.imageCount();
    if (n == 1) {
      index = 0;  // a lone image is never link-tested
    } else {
      index = DrawIndex(program, doc.imageCount());
      for (;;) {
        // BadLink runs first even when the budget is spent; that last draw is not used.
        const bool bad = BadLink(program, doc.image(index).src);
        if (!bad || rejected >= kRejectionBudget) break;
        AddStatus(program, "[GetImage] BadLink " + doc.image(index).src);
        n = doc.imageCount();
        index = DrawIndex(program, n);
        ++rejected;
        program.platform.doEvents();
      }
      if (rejected >= kRejectionBudget) {
        AddStatus(program, "[GetImage] nothing valid on this page");
        program.nextTimer().setEnabled(true);
        AddTrace(program, "GetImage OUT");
        return;
      }
    }

    const platform::ImageElement image = doc.image(index);
    width = image.width;
    height = image.height;
    if (GoodImage(program, width, height)) break;

    const std::string line =
        "[GetImage-BadImage] " + SizeText(width, height) + " (" + doc.image(index).src + ")";
    AddStatus(program, line);
    n = doc.imageCount();
    if (n == 1) {
      AddStatus(program, line);
      program.nextTimer().setEnabled(true);
      AddTrace(program, "GetImage OUT");
      return;
    }
    ++rejected;
  }

  const Settings& s = program.settings;
  AddStatus(program, "[GoodImage (" + std::to_string(index) + ")] " + SizeText(width, height) +
                         " (min: " + SizeText(s.MinImageWidth, s.MinImageHeight) + ", max: " +
                         SizeText(s.MaxImageWidth, s.MaxImageHeight) + ") " + doc.image(index).src);
  IBrowseTo(program, doc.image(index).src, doc.url());
  AddTrace(program, "GetImage OUT");
}
