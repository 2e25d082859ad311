// What the engine and the parse helper send each other over the helper's stdin and stdout:
// frames of a 32-bit length and a payload. A request carries the document address and its
// UTF-8 markup; the reply carries the document model. The reader trusts nothing: a reply
// that does not decode exactly is garbage and costs the helper its life.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QUrl>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

#include "web/document_model.h"
#include "web/engine_limits.h"

namespace web::wire {

constexpr qsizetype kHeaderBytes = 4;

// The largest model the engine takes back for markupBytes of markup. A page's model is two to
// four times its markup (the markup written back, its text, every address resolved against
// the page); a gallery under a long address comes to five, text of nothing but ampersands
// (each written back as "&amp;") to six, a bare list of links to eight. The constant is for
// small pages with many long addresses. Past it the helper has gone wrong: the reply is
// refused at its header, before it is read.
constexpr std::uint32_t replyLimit(qsizetype markupBytes) {
  constexpr std::uint64_t kSlack = 1024 * 1024;
  const std::uint64_t limit = 8 * std::uint64_t(markupBytes) + kSlack;
  return limit < kMaxParseFrameBytes ? std::uint32_t(limit) : kMaxParseFrameBytes;
}

// The most images, links and frames together a model of markupBytes of markup can hold: each
// takes a tag of its own, and a link the parser copies ("<p><a href=x>" then "<p>y" again and
// again) four bytes at least. Each costs the engine a vector entry however short its reply
// bytes, so this, not the reply's size, bounds the decoding's time and memory.
constexpr std::uint32_t itemLimit(qsizetype markupBytes) {
  return std::uint32_t(std::min<qsizetype>(markupBytes / 3 + 1024, kMaxParseFrameBytes));
}

// The longest written copy the engine takes back for a page is serialisedMarkupLimit of the
// page: neutralising renames a few tags and attributes and adds one address, so an ordinary
// page's copy is a few per cent longer than its markup. A copy built to grow past it is
// announced, not parsed, and its write keeps the page as loaded.
static_assert(serialisedMarkupLimit(kPageLimitBytes) <= kMaxParseFrameBytes / 8);

struct Request {
  QUrl url;
  QByteArray markup;
  bool wantsWrittenCopy = false;  // then a second reply follows the page's: its written copy
};

// A whole frame, header included.
QByteArray encodeRequest(const Request& request);
QByteArray encodeModel(const DocumentModel& model);
// A written copy is announced (its length and digest) before it is parsed, then its model
// follows as a frame of its own; a copy whose parse runs out of time is still known. A copy
// past serialisedMarkupLimit is announced and not parsed (overLimit: no model frame follows). Null:
// no copy (the page has no markup to read), and no model frame follows.
QByteArray encodeCopyAnnouncement(const WrittenCopy* copy);

// The payload length announced at the start of buffer: nullopt while the header is
// incomplete; a length above kMaxParseFrameBytes is returned as is for the caller to refuse.
std::optional<std::uint32_t> frameLength(QByteArrayView buffer);

// Payloads (without the header), read where they lie; nullopt / null when malformed.
std::optional<Request> decodeRequest(QByteArrayView payload);
std::shared_ptr<DocumentModel> decodeModel(QByteArrayView payload, std::uint32_t maxItems);
// nullopt when malformed; a null copy when the helper made none; else one without its model.
std::optional<std::shared_ptr<WrittenCopy>> decodeCopyAnnouncement(QByteArrayView payload);

}  // namespace web::wire
