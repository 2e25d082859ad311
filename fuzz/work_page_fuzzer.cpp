// The work browser's page handler on arbitrary page text, at each depth that reads the page:
// an image page, the link-list reply, phrase mining, the version reply, image picking and
// link picking. An image it sends to a display slot is completed there too, so the display
// page is composed from the fuzzed address. The handlers trap their own failures; anything
// that escapes them, or any memory or undefined-behaviour fault, is a find.
//
// Input: mode byte, size byte, 8 random draws, then the page text (up to four pages separated
// by a "--page--" line; the first is handled at the chosen depth, the next ones wherever the
// cycle has got to, six seconds later each). The mode byte picks the depth (low 3 bits) and
// switches: 0x08 auto-save, 0x10 answer Yes to the update offer,
// 0x20 random page colours, 0x40 frames, 0x80 the page is markup, parsed by the web engine's
// document model when the build has it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"
#include "core/program.h"
#include "fuzz_input.h"
#include "support/harness.h"

#ifdef QUOREL_FUZZ_WEB
#include <QByteArray>
#include <QSize>
#include <QUrl>

#include "web/document_model.h"
#include "web/web_document.h"
#endif

namespace {

// The depth before the page completes; the handler decrements it first.
constexpr std::int32_t kDepthBefore[] = {1, 0, -1, -2, -3, 3, 2, -4};

// Pages of one input are separated by a line of its own.
constexpr std::string_view kPageBreak = "\n--page--\n";
constexpr std::size_t kMaxPages = 4;

std::int32_t ImageSide(std::uint8_t choice, const std::string& salt) {
  if (choice == 255) return std::numeric_limits<std::int32_t>::max();
  if (choice == 254) return -1;
  return choice * 8 + fuzz::Spread(salt, 8);
}

#ifdef QUOREL_FUZZ_WEB
// A page as the engine parses it: markup in, text, links, images and frames out, and parsed
// again when the page neutraliser writes its rewritten markup back.
class ParsedDocument : public fake::FakeDocument {
 public:
  void load(const std::string& markup) {
    const auto model =
        web::buildDocument(QByteArray::fromStdString(markup), QUrl(QString::fromStdString(url_)));
    html_ = model->innerHTML;
    text_ = model->innerText;
    links_ = model->links;
    images_.clear();
    for (const web::ImageRef& ref : model->images) {
      const QSize size = web::layoutSize(ref.attrWidth, ref.attrHeight, QSize());
      images_.push_back({ref.src, ref.src, size.width(), size.height()});
    }
    frames_.clear();
    for (const web::FrameRef& frame : model->frames) frames_.push_back(frame.location);
  }
  platform::WriteOutcome write(const std::string& markup) override {
    const platform::WriteOutcome outcome = FakeDocument::write(markup);
    load(markup);
    return outcome;
  }
};
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t mode = in.byte();
  const std::uint8_t sizeChoice = in.byte();
  std::vector<float> draws;
  for (int i = 0; i < 8; ++i) draws.push_back(in.draw());
  const std::string text = in.rest();

  fake::Harness h;
  Startup(h.program, "");
  Program& p = h.program;
  // QUOREL_FUZZ_LOG=1 when replaying one input: debug mode on and the status log printed.
  static const bool showLog = std::getenv("QUOREL_FUZZ_LOG") != nullptr;
  p.settings.DebugMode = showLog;
  p.settings.AutosaveMode = (mode & 0x08) != 0;
  p.settings.AutosavePath = (h.platform.folder / "saved").string();
  std::filesystem::create_directories(p.settings.AutosavePath);
  p.settings.PartridgeMode = (mode & 0x20) != 0;
  h.platform.dialogs_.answerYes = (mode & 0x10) != 0;
  h.platform.random_.script(draws);

  // Later pages follow the first one through the cycle: the clock moves on between them, so
  // the slideshow timer starts the next crawl and the next page answers whatever was asked.
  std::vector<std::string> pages;
  for (std::size_t from = 0; pages.size() < kMaxPages;) {
    const auto end = pages.size() + 1 < kMaxPages ? text.find(kPageBreak, from) : std::string::npos;
    pages.push_back(text.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (end == std::string::npos) break;
    from = end + kPageBreak.size();
  }

  p.depth = kDepthBefore[mode & 7];
  for (const std::string& pageText : pages) {
    if (p.unloading) break;
    std::vector<std::size_t> before;
    for (int k = 0; k < 10; ++k) before.push_back(h.browser(k).navigations.size());

    std::shared_ptr<fake::FakeDocument> page;
#ifdef QUOREL_FUZZ_WEB
    if (mode & 0x80) {
      auto parsed = std::make_shared<ParsedDocument>();
      parsed->withUrl("http://crawl.test/page.html");
      parsed->load(pageText);
      page = parsed;
    }
#endif
    if (!page) {
      page = std::make_shared<fake::FakeDocument>();
      page->withUrl("http://crawl.test/page.html").withText(pageText);
      if (mode & 0x80) page->withHtml(pageText);
      const auto lines = fuzz::Lines(pageText, 64);
      for (std::size_t i = 0; i < lines.size(); ++i) {
        page->withLink(lines[i]);
        if (lines[i].find('.') != std::string::npos)
          page->withImage(lines[i], ImageSide(sizeChoice, lines[i]),
                          ImageSide(sizeChoice, "h" + lines[i]));
        if ((mode & 0x40) && i % 3 == 0) page->withFrame(lines[i]);
      }
    }

    p.navPending = true;
    h.work().complete(page);

    // The image the handler chose arrives in its slot.
    for (int k = 0; k < 10 && !p.unloading; ++k) {
      auto& browser = h.browser(k);
      if (browser.navigations.size() == before[static_cast<std::size_t>(k)]) continue;
      const std::string url = browser.navigations.back();
      auto shown = std::make_shared<fake::FakeDocument>();
      shown->withUrl(url)
          .withHtml("<HEAD></HEAD><BODY><IMG src=\"" + url + "\"></BODY>")
          .withImage(url, ImageSide(sizeChoice, url), ImageSide(sizeChoice, "h" + url));
      h.platform.transfer_.replies[url] = {true, "GIF89a", {}};
      browser.complete(shown);
    }
    if (!p.unloading) h.platform.advanceSeconds(6);
  }
  if (showLog)
    for (const std::string& line : h.status()) std::fprintf(stderr, "%s\n", line.c_str());
  return 0;
}
