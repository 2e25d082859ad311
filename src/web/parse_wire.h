// What the engine and the parse helper send each other over the helper's stdin and stdout:
// frames of a 32-bit length and a payload. A request carries the document address and its
// UTF-8 markup; the reply carries the document model. The reader trusts nothing: a reply
// that does not decode exactly is garbage and costs the helper its life.
#pragma once

#include <QByteArray>
#include <QUrl>
#include <cstdint>
#include <memory>
#include <optional>

#include "web/document_model.h"

namespace web::wire {

constexpr qsizetype kHeaderBytes = 4;
// Far above any page the engine fetches (8 MiB) and its model, far below the helper's limit.
constexpr std::uint32_t kMaxFrameBytes = 256u * 1024 * 1024;

struct Request {
  QUrl url;
  QByteArray markup;
};

// A whole frame, header included.
QByteArray encodeRequest(const Request& request);
QByteArray encodeModel(const DocumentModel& model);

// The payload length announced at the start of buffer: nullopt while the header is
// incomplete; a length above kMaxFrameBytes is returned as is for the caller to refuse.
std::optional<std::uint32_t> frameLength(const QByteArray& buffer);

// Payloads (without the header); nullopt / null when malformed.
std::optional<Request> decodeRequest(const QByteArray& payload);
std::shared_ptr<DocumentModel> decodeModel(const QByteArray& payload);

}  // namespace web::wire
