#include "display/display_slots.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "core/logs.h"
#include "core/monitors.h"
#include "core/program.h"
#include "core/trapped_error.h"
#include "core/vb_text.h"
#include "core/vendor.h"
#include "crawler/link_filters.h"
#include "crawler/next_url.h"
#include "display/cleanup_html.h"
#include "display/get_image.h"
#include "display/slideshow.h"
#include "interaction/image_menu.h"
#include "interaction/save_image.h"
#include "interaction/url_encode.h"

namespace {

constexpr int kLastSlot = platform::MainWindow::kSlots - 1;

// The margins around the picture inside a display browser, in twips.
constexpr std::int64_t kBrowserMarginX = 600;
constexpr std::int64_t kBrowserMarginY = 720;

// A pixel count in twips plus a margin; a size too large for a position is an overflow,
// which the handler's trap reports, not a wrapped-around number.
std::int32_t Twips(std::int32_t pixels, double twipsPerPixel, std::int64_t margin) {
  const double twips = std::round(pixels * twipsPerPixel) + static_cast<double>(margin);
  if (twips < std::numeric_limits<std::int32_t>::min() ||
      twips > std::numeric_limits<std::int32_t>::max())
    throw platform::overflow();
  return static_cast<std::int32_t>(twips);
}

std::string ClickThrough(const std::string& address) {
  return VendorUrl("/quorel/bin/click.asp") + "?url=" + UrlEncode(address);
}

std::string PageColour(Program& program) {
  if (!program.settings.PartridgeMode) return "black";
  static const char* const kColours[] = {"red",    "yellow", "green", "blue",
                                         "orange", "black",  "white"};
  const std::int32_t c = vb::CLng(static_cast<double>(program.rnd()) * 6);
  return kColours[c];
}

// Places slot k at a random spot sized to a w x h browser, frames it and brings it to the
// front. The frame cuts off the browser's edge and the strips where scroll bars would show.
void PlaceSlot(Program& program, int k, std::int32_t w, std::int32_t h) {
  auto& form = program.form();
  auto& screen = program.platform.screen();
  auto& browser = program.browser(k);
  auto& picbox = program.picbox(k);

  // Two draws as ever; they are spread over the monitors, so a panel never lands where no
  // monitor shows it.
  const double r1 = program.rnd();
  const double r2 = program.rnd();
  const Corner corner = PanelCorner(screen, r1, r2, w, h);
  browser.setLeft(corner.first - form.left());
  browser.setTop(corner.second - form.top());

  if (w > kBrowserMarginX) picbox.setWidth(w - static_cast<std::int32_t>(kBrowserMarginX));
  picbox.setHeight(h);
  browser.setWidth(w);
  browser.setHeight(h);

  const int sx = (screen.verticalScrollBarWidth() + 5) * screen.twipsPerPixelX();
  const int sy = (screen.horizontalScrollBarHeight() + 5) * screen.twipsPerPixelY();
  picbox.move(browser.left(), browser.top(), browser.width() - sx, browser.height() - sy);
  browser.setContainer(picbox);
  browser.move(-2 * screen.twipsPerPixelX(), -2 * screen.twipsPerPixelY(), browser.width(),
               browser.height());

  // The older frames keep their order among themselves, the new one goes on top.
  for (int j = 0; j <= kLastSlot; ++j) {
    program.browser(j).zOrder(1);
    program.picbox(j).zOrder(1);
  }
  browser.zOrder(0);
  picbox.zOrder(0);
}

}  // namespace

void IBrowseTo(Program& program, const std::string& url, const std::string& page) {
  AddTrace(program, "IBrowseTo IN");
  // Closing, or the user is choosing from a menu: nothing may change under them.
  if (program.unloading || program.menuOpen) return;

  AddStatus(program, "[I-BrowseTo] " + url);
  UpdateUrlBox(program, url);
  if (BadLink(program, url)) {
    AddTrace(program, "IBrowseTo OUT");
    return;
  }

  const int k = program.nextSlot;
  SlotInfo& info = program.slotInfo[static_cast<std::size_t>(k)];
  info.depth = vb::CInt(program.depth);
  info.siteUrl = program.linkCode;
  info.picUrl = program.startUrl;
  info.pageUrl = page;

  program.picbox(k).setVisible(false);
  auto& browser = program.browser(k);
  browser.setSilent(true);
  browser.navigate2(url);

  program.nextSlot = k + 1 > kLastSlot ? 0 : k + 1;
  // The next cycle starts on time whether or not this image ever arrives.
  program.nextTimer().setEnabled(true);
  AddTrace(program, "IBrowseTo OUT");
}

void browser_DocumentComplete(Program& program, int k, const std::string& url) {
  AddTrace(program, "browser_DocumentComplete IN");
  try {
    program.navPending = false;
    if (program.unloading) return;

    program.lastActivity = program.now();
    AddStatus(program, "[I-BrowseComplete] " + url);

    auto& browser = program.browser(k);
    auto& picbox = program.picbox(k);
    // Its copy goes to the work browser; this document keeps the image as loaded.
    CleanupHTML(program, browser.document(), true);
    platform::Document& doc = browser.document();

    if (vb::InStr(vb::LCase(doc.innerHTML()), "<script>") > 0)
      AddStatus(program, "[WTF!?!] there's still script!");

    if (doc.imageCount() > 0) {
      program.platform.doEvents();
      const std::int32_t height = doc.image(0).height;
      const std::int32_t width = doc.image(0).width;
      auto& screen = program.platform.screen();
      // One picture pixel to one device pixel: a scaled screen shows it in fewer twips.
      const double ratio = screen.devicePixelRatio();
      const std::int32_t w = Twips(width, screen.twipsPerPixelX() / ratio, kBrowserMarginX);
      const std::int32_t h = Twips(height, screen.twipsPerPixelY() / ratio, kBrowserMarginY);

      if (!GoodImage(program, width, height)) {
        const Settings& s = program.settings;
        AddStatus(program, "[IBadImage] " + SizeText(width, height) +
                               " (min: " + SizeText(s.MinImageWidth, s.MinImageHeight) +
                               " max: " + SizeText(s.MaxImageWidth, s.MaxImageHeight) + ")");
        picbox.setVisible(false);
        program.nextTimer().setEnabled(true);
        AddTrace(program, "browser_DocumentComplete OUT");
        return;
      }

      PlaceSlot(program, k, w, h);

      if (program.settings.AutosaveMode)
        SaveImage(program, doc, SaveBy::Autosave,
                  program.slotInfo[static_cast<std::size_t>(k)].pageUrl);

      std::string html = doc.innerHTML();
      const std::string head = "<head></head><body bgcolor=" + PageColour(program) +
                               "><center><a title='Click for options'>";

      SlotInfo& info = program.slotInfo[static_cast<std::size_t>(k)];
      info.picUrl = ClickThrough(url);
      info.siteUrl = ClickThrough(info.siteUrl);

      html = vb::Replace(html, "</head>", "", true);
      html = vb::Replace(html, "<head>", head, true);
      html = vb::Replace(html, "<IMG ", "<IMG border=0 ", true);
      html = vb::Replace(html, "</body>", "</a></center></body>", true);
      doc.close();
      doc.write(html);
      picbox.setVisible(true);
      doc.setOnClick([&program, k] { return page_onclick_sink(program, k); });
    } else if (!program.phrase.empty()) {
      // Nothing to show: a phrase still waiting for its search gets it now.
      NextUrl(program, program.phrase);
    }
    picbox.setVisible(true);
  } catch (const std::exception& error) {
    AddStatus(program, "browser_DocumentComplete(): " + TrappedError(error));
  }
  AddTrace(program, "browser_DocumentComplete OUT");
}
