// The web engine's document model on arbitrary bytes: the HTML parse that gives the logic
// innerHTML, innerText, images, links and frames, the charset decoding before it, the written
// markup parsed again (what the page neutraliser does to every page), the synthetic image
// and text documents, image sizes from the first bytes and the laid-out size of an image,
// and the parse helper's reply format (any bytes decode or are refused; a model survives the
// trip).
//
// Input: mode byte, then the bytes. Mode & 3: 0 a page, 1 a page with a Content-Type (the
// first line) to decode, 2 laid-out sizes, 3 an image's first bytes and the synthetic
// documents. Mode & 4: an image-less document address.
#include <QByteArray>
#include <QCoreApplication>
#include <QSize>
#include <QString>
#include <QUrl>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "web/charset.h"
#include "web/document_model.h"
#include "web/engine.h"
#include "web/image_probe.h"
#include "web/parse_wire.h"
#include "web/web_document.h"

namespace {

// The rendered text separates lines with CR LF, always both.
bool CrLfOnly(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

void ReadAll(platform::Document& doc) {
  (void)doc.innerText();
  for (int i = 0; i < doc.imageCount(); ++i) {
    const auto image = doc.image(i);
    FUZZ_CHECK(image.width >= 0 && image.height >= 0, "laid-out image sizes are not negative");
  }
  for (int i = 0; i < doc.linkCount(); ++i) (void)doc.link(i);
  for (int i = 0; i < doc.frameCount(); ++i) (void)doc.frameLocation(i);
  (void)doc.url();
}

void Page(web::Engine& engine, const QByteArray& utf8, const QUrl& url) {
  const auto model = web::buildDocument(utf8, url);
  FUZZ_CHECK(CrLfOnly(model->innerText), "innerText breaks lines with CR LF");
  const QByteArray frame = web::wire::encodeModel(*model);
  const auto back =
      web::wire::decodeModel(frame.mid(web::wire::kHeaderBytes), web::wire::itemLimit(utf8.size()));
  FUZZ_CHECK(back && back->innerHTML == model->innerHTML &&
                 back->panelMarkup == model->panelMarkup && back->links == model->links &&
                 back->images.size() == model->images.size() &&
                 back->frames.size() == model->frames.size(),
             "a model survives the trip from the parse helper");

  // Loaded, read, then rewritten from its own markup as the neutraliser does.
  web::WebDocument doc(engine, nullptr, nullptr);
  doc.load(model, url.toString());
  ReadAll(doc);
  const std::string markup = doc.innerHTML();
  doc.clear();
  doc.write(markup);
  ReadAll(doc);
  FUZZ_CHECK(CrLfOnly(doc.innerText()), "rewritten innerText breaks lines with CR LF");
}

void Sizes(fuzz::Input& in, const std::string& text) {
  std::int32_t intrinsic[2] = {};
  for (auto& side : intrinsic)
    for (int i = 0; i < 4; ++i)
      side = static_cast<std::int32_t>((static_cast<std::uint32_t>(side) << 8) | in.byte());
  const auto split = text.find(' ');
  const std::string width = text.substr(0, split);
  const std::string height = split == std::string::npos ? std::string() : text.substr(split + 1);
  const int w = web::dimensionAttribute(width.c_str());
  const int h = web::dimensionAttribute(split == std::string::npos ? nullptr : height.c_str());
  FUZZ_CHECK(w >= -1 && h >= -1, "an attribute is a size or -1");
  // Intrinsic sizes as image headers can declare them: up to 2^31 - 1 either way.
  const int iw = intrinsic[0] & 0x7FFFFFFF, ih = intrinsic[1] & 0x7FFFFFFF;
  const QSize size = web::layoutSize(w, h, QSize(iw, ih));
  FUZZ_CHECK(size.width() >= 0 && size.height() >= 0, "a laid-out size is not negative");
  // One attribute scales the other side by the intrinsic aspect: exact when that fits in an
  // int, else saturated (or given up as unknown), never wrapped around.
  if ((w >= 0) != (h >= 0) && iw > 0 && ih > 0) {
    const double exact = w >= 0 ? std::round(double(w) * ih / iw) : std::round(double(h) * iw / ih);
    const int scaled = w >= 0 ? size.height() : size.width();
    if (exact <= 2147483647.0)
      FUZZ_CHECK(std::fabs(scaled - exact) <= 1, "a scaled side is the attribute times the aspect");
    else
      FUZZ_CHECK(scaled == 0 || scaled >= 1000000000, "an oversized scaled side saturates");
  }
}

void Synthetic(const QByteArray& bytes, const QUrl& url) {
  (void)web::imageSizeOf(bytes);
  (void)web::wire::decodeModel(bytes, web::wire::itemLimit(bytes.size()));
  (void)web::wire::decodeCopyAnnouncement(bytes);

  // Any address stays one image in the image document: its quoting holds.
  const std::string address = bytes.toStdString();
  if (std::memchr(address.data(), '\0', address.size()) == nullptr) {
    const auto image = web::buildDocument(web::imageDocumentMarkup(address), url);
    FUZZ_CHECK(image->images.size() == 1 && image->links.empty() && image->frames.empty(),
               "the image document holds exactly its image");
  }

  // Plain text comes back as it was, lines ending in CR LF.
  bool plain = true;
  for (const char c : address) plain = plain && ((c >= 0x20 && c < 0x7F) || c == '\n');
  if (plain) {
    const auto text = web::buildDocument(web::textDocumentMarkup(bytes), url);
    std::string expected;
    for (const char c : address) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    while (expected.size() >= 2 && expected.compare(expected.size() - 2, 2, "\r\n") == 0)
      expected.resize(expected.size() - 2);
    std::string got = text->innerText;
    while (got.size() >= 2 && got.compare(got.size() - 2, 2, "\r\n") == 0)
      got.resize(got.size() - 2);
    FUZZ_CHECK(got == expected, "a text document shows the text unchanged");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Written markup too is parsed here, not in the helper: the model is what is fuzzed.
  static web::Engine engine([] {
    web::EngineOptions options;
    options.parseInProcess = true;
    return options;
  }());

  fuzz::Input in(data, size);
  const std::uint8_t mode = in.byte();
  const QUrl url((mode & 4) ? "about:blank" : "http://page.test/dir/index.html");
  switch (mode & 3) {
    case 0:
      Page(engine, QByteArray::fromStdString(in.rest()), url);
      break;
    case 1: {
      const std::string rest = in.rest();
      const auto line = rest.find('\n');
      const QByteArray contentType = QByteArray::fromStdString(rest.substr(0, line));
      const QByteArray body = QByteArray::fromStdString(
          line == std::string::npos ? std::string() : rest.substr(line + 1));
      Page(engine, web::decodeToUtf8(body, contentType, true), url);
      (void)web::decodeToUtf8(body, contentType, false);
      break;
    }
    case 2: {
      fuzz::Input sizes = in;
      for (int i = 0; i < 8; ++i) in.byte();  // the intrinsic size, read by Sizes
      Sizes(sizes, in.rest());
      break;
    }
    default:
      Synthetic(QByteArray::fromStdString(in.rest()), url);
      break;
  }
  return 0;
}
