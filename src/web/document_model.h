// What a parsed page offers the document model, computed from gumbo's tree: the
// documentElement's markup and rendered text, the images, links and frames with their
// addresses resolved against the page address and its <base>, and the markup a display panel
// lays out.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "web/engine_limits.h"

namespace web {

struct ImageRef {
  std::string src;     // resolved and fully encoded; empty when the element has no src
  int attrWidth = -1;  // -1: no usable attribute
  int attrHeight = -1;

  // Its size is the picture's own, to be learnt: an attribute is missing, and the address is
  // one the engine opens (a longer one is refused unfetched and stays 0x0).
  bool needsIntrinsicSize() const {
    return !src.empty() && qsizetype(src.size()) <= kMaxAddressLength &&
           (attrWidth < 0 || attrHeight < 0);
  }
};

struct FrameRef {
  std::string location;  // resolved src; replaced by the loaded address for frameset frames
  std::string name;
  bool inFrameset = false;  // a <frame> (loaded with the page), not an <iframe>
};

struct DocumentModel;

// The document a page's reader will write back once the page has loaded, parsed ahead by the
// parse helper. It stands for exactly one markup, known by its length and digest; without a
// model, that markup could not be parsed within the page's budget.
struct WrittenCopy {
  std::uint64_t length = 0;
  std::uint64_t digest = 0;
  bool overLimit = false;  // past serialisedMarkupLimit: never parsed ahead
  std::shared_ptr<DocumentModel> model;
  bool isCopyOf(std::string_view markup) const;
};

// A digest to tell markups apart cheaply: the standard library's string hash, the same in the
// program and its helper (one build, one library).
std::uint64_t markupDigest(std::string_view markup);

struct DocumentModel {
  bool hasRoot = true;
  std::string innerHTML;        // empty when markupTooLarge
  bool markupTooLarge = false;  // past serialisedMarkupLimit: reading it fails
  std::string innerText;
  std::string panelMarkup;  // what a display panel lays out (web/panel_markup.h)
  std::vector<ImageRef> images;
  std::vector<std::string> links;
  std::vector<FrameRef> frames;
  std::shared_ptr<const WrittenCopy> writtenCopy;  // none until the helper has made one
};

// Parses UTF-8 markup as a page at documentUrl.
std::shared_ptr<DocumentModel> buildDocument(const QByteArray& utf8, const QUrl& documentUrl);

// The address an attribute value names, resolved against base and fully encoded.
std::string resolveAddress(const QUrl& base, const QString& raw);

// The synthetic documents: an image alone in a body, and plain text as preformatted text.
QByteArray imageDocumentMarkup(const std::string& address);
QByteArray textDocumentMarkup(const QByteArray& utf8Text);

// "100" -> 100, "100px" -> 100, "50%" / "" / "abc" -> -1.
int dimensionAttribute(const char* value);

}  // namespace web
