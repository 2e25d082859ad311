#include "web/parse_wire.h"

#include <cstring>

namespace web::wire {
namespace {

class Writer {
 public:
  Writer() { out_.resize(kHeaderBytes); }
  void u8(std::uint8_t value) { out_.append(char(value)); }
  void u32(std::uint32_t value) { out_.append(reinterpret_cast<const char*>(&value), 4); }
  void u64(std::uint64_t value) { out_.append(reinterpret_cast<const char*>(&value), 8); }
  void i32(std::int32_t value) { u32(std::uint32_t(value)); }
  void bytes(const char* data, size_t size) {
    u32(std::uint32_t(size));
    out_.append(data, qsizetype(size));
  }
  void str(const std::string& text) { bytes(text.data(), text.size()); }
  QByteArray frame() {
    const auto length = std::uint32_t(out_.size() - kHeaderBytes);
    std::memcpy(out_.data(), &length, 4);
    return std::move(out_);
  }

 private:
  QByteArray out_;
};

class Reader {
 public:
  explicit Reader(QByteArrayView in) : in_(in) {}
  bool ok() const { return ok_; }
  bool atEnd() const { return ok_ && at_ == in_.size(); }
  std::uint8_t u8() {
    if (!take(1)) return 0;
    return std::uint8_t(in_[at_ - 1]);
  }
  std::uint32_t u32() {
    std::uint32_t value = 0;
    if (take(4)) std::memcpy(&value, in_.constData() + at_ - 4, 4);
    return value;
  }
  std::uint64_t u64() {
    std::uint64_t value = 0;
    if (take(8)) std::memcpy(&value, in_.constData() + at_ - 8, 8);
    return value;
  }
  std::int32_t i32() { return std::int32_t(u32()); }
  std::string str() {
    const std::uint32_t size = u32();
    if (!take(size)) return {};
    return std::string(in_.constData() + at_ - size, size);
  }
  QByteArray bytes() {
    const std::uint32_t size = u32();
    if (!take(size)) return {};
    return in_.sliced(at_ - size, size).toByteArray();
  }
  // A count of items of at least minBytes each: never more than the rest could hold, nor
  // than are left of budget.
  std::uint32_t count(qsizetype minBytes, std::uint32_t& budget) {
    const std::uint32_t n = u32();
    if (ok_ && (qsizetype(n) > (in_.size() - at_) / minBytes || n > budget)) ok_ = false;
    if (!ok_) return 0;
    budget -= n;
    return n;
  }

 private:
  bool take(qsizetype size) {
    if (!ok_ || size > in_.size() - at_) {
      ok_ = false;
      return false;
    }
    at_ += size;
    return true;
  }
  QByteArrayView in_;
  qsizetype at_ = 0;
  bool ok_ = true;
};

void writeModel(Writer& out, const DocumentModel& model) {
  out.u8(!model.hasRoot ? 0 : model.markupTooLarge ? 2 : 1);
  out.str(model.innerHTML);
  out.str(model.innerText);
  out.str(model.panelMarkup);
  out.u32(std::uint32_t(model.images.size()));
  for (const ImageRef& image : model.images) {
    out.str(image.src);
    out.i32(image.attrWidth);
    out.i32(image.attrHeight);
  }
  out.u32(std::uint32_t(model.links.size()));
  for (const std::string& link : model.links) out.str(link);
  out.u32(std::uint32_t(model.frames.size()));
  for (const FrameRef& frame : model.frames) {
    out.str(frame.location);
    out.str(frame.name);
    out.u8(frame.inFrameset ? 1 : 0);
  }
}

std::shared_ptr<DocumentModel> readModel(Reader& in, std::uint32_t maxItems) {
  auto model = std::make_shared<DocumentModel>();
  const std::uint8_t hasRoot = in.u8();
  model->hasRoot = hasRoot == 1 || hasRoot == 2;
  model->markupTooLarge = hasRoot == 2;
  model->innerHTML = in.str();
  model->innerText = in.str();
  model->panelMarkup = in.str();
  model->images.resize(in.count(12, maxItems));
  for (ImageRef& image : model->images) {
    image.src = in.str();
    image.attrWidth = in.i32();
    image.attrHeight = in.i32();
  }
  model->links.resize(in.count(4, maxItems));
  for (std::string& link : model->links) link = in.str();
  model->frames.resize(in.count(9, maxItems));
  for (FrameRef& frame : model->frames) {
    frame.location = in.str();
    frame.name = in.str();
    const std::uint8_t inFrameset = in.u8();
    frame.inFrameset = inFrameset == 1;
    if (inFrameset > 1) return nullptr;
  }
  if (hasRoot > 2 || (model->markupTooLarge && !model->innerHTML.empty()) || !in.ok())
    return nullptr;
  return model;
}

}  // namespace

QByteArray encodeRequest(const Request& request) {
  Writer out;
  const QByteArray url = request.url.toEncoded();
  out.bytes(url.constData(), size_t(url.size()));
  out.bytes(request.markup.constData(), size_t(request.markup.size()));
  out.u8(request.wantsWrittenCopy ? 1 : 0);
  return out.frame();
}

QByteArray encodeModel(const DocumentModel& model) {
  Writer out;
  writeModel(out, model);
  return out.frame();
}

QByteArray encodeCopyAnnouncement(const WrittenCopy* copy) {
  Writer out;
  out.u8(!copy ? 0 : copy->overLimit ? 2 : 1);
  if (copy) {
    out.u64(copy->length);
    out.u64(copy->digest);
  }
  return out.frame();
}

std::optional<std::uint32_t> frameLength(QByteArrayView buffer) {
  if (buffer.size() < kHeaderBytes) return std::nullopt;
  std::uint32_t length = 0;
  std::memcpy(&length, buffer.constData(), 4);
  return length;
}

std::optional<Request> decodeRequest(QByteArrayView payload) {
  Reader in(payload);
  Request request;
  request.url = QUrl::fromEncoded(in.bytes());
  request.markup = in.bytes();
  const std::uint8_t wants = in.u8();
  request.wantsWrittenCopy = wants == 1;
  if (wants > 1 || !in.atEnd()) return std::nullopt;
  return request;
}

std::shared_ptr<DocumentModel> decodeModel(QByteArrayView payload, std::uint32_t maxItems) {
  Reader in(payload);
  std::shared_ptr<DocumentModel> model = readModel(in, maxItems);
  return model && in.atEnd() ? model : nullptr;
}

std::optional<std::shared_ptr<WrittenCopy>> decodeCopyAnnouncement(QByteArrayView payload) {
  Reader in(payload);
  const std::uint8_t present = in.u8();
  if (present == 0 && in.atEnd()) return std::shared_ptr<WrittenCopy>();
  if (present != 1 && present != 2) return std::nullopt;
  auto copy = std::make_shared<WrittenCopy>();
  copy->overLimit = present == 2;
  copy->length = in.u64();
  copy->digest = in.u64();
  if (!in.atEnd()) return std::nullopt;
  return copy;
}

}  // namespace web::wire
