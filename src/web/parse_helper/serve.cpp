#include "web/parse_helper/serve.h"

#include <malloc.h>
#include <unistd.h>

#include <cstring>

#include "web/document_model.h"
#include "web/engine_limits.h"
#include "web/parse_helper/pipe_io.h"
#include "web/parse_helper/sandbox.h"
#include "web/parse_wire.h"

namespace parse_helper {
namespace {

void say(const char* line) { (void)!write(2, line, std::strlen(line)); }

bool send(QByteArray reply) { return writeFully(1, reply.constData(), std::size_t(reply.size())); }

// Qt, the C library and the copy maker set up some state on first use (locale, Unicode
// tables, the allocator's arenas); doing that before the filter keeps the served parses to
// the few calls the filter allows.
void warmUp(const WrittenCopyMaker& makeCopy) {
  const QUrl url("http://warm.invalid/a/");
  auto model = web::buildDocument(
      "<head><script>self.x</script></head><p><a href='b?c=d'>x</a><img src='e.png' width=1></p>",
      url);
  if (makeCopy) (void)makeCopy(model->innerHTML, url.toString(QUrl::FullyEncoded).toStdString());
}

// The page's written copy, announced, then parsed as the engine would parse it when written;
// none when the page has no markup to read. A copy grown past what the engine takes back is
// announced only, so that its write keeps the page as loaded without waiting.
bool sendWrittenCopy(const WrittenCopyMaker& makeCopy, std::shared_ptr<web::DocumentModel> page,
                     const web::wire::Request& request) {
  if (!makeCopy || !page->hasRoot || page->markupTooLarge)
    return send(web::wire::encodeCopyAnnouncement(nullptr));
  std::string innerHTML = std::move(page->innerHTML);
  page.reset();
  const std::optional<std::string> copy =
      makeCopy(std::move(innerHTML), request.url.toString(QUrl::FullyEncoded).toStdString());
  if (!copy) return send(web::wire::encodeCopyAnnouncement(nullptr));
  web::WrittenCopy written;
  written.length = copy->size();
  written.digest = web::markupDigest(*copy);
  written.overLimit = qsizetype(copy->size()) > web::serialisedMarkupLimit(request.markup.size());
  if (!send(web::wire::encodeCopyAnnouncement(&written))) return false;
  if (written.overLimit) return true;
  return send(
      web::wire::encodeModel(*web::buildDocument(QByteArray::fromStdString(*copy), request.url)));
}

}  // namespace

int serve(const WrittenCopyMaker& makeCopy) {
  warmUp(makeCopy);
  if (!limitMemory(web::kParseHelperMemoryBytes) || !enterSandbox()) return 2;

  QByteArray header(web::wire::kHeaderBytes, '\0');
  while (readFully(0, header.data(), std::size_t(header.size()))) {
    const std::uint32_t length = *web::wire::frameLength(header);
    if (length > web::kMaxParseFrameBytes) {
      say("quorel-parse: request too large\n");
      return 3;
    }
    QByteArray payload(qsizetype(length), Qt::Uninitialized);
    if (!readFully(0, payload.data(), length)) break;
    std::optional<web::wire::Request> request = web::wire::decodeRequest(payload);
    if (!request) {
      say("quorel-parse: malformed request\n");
      return 3;
    }
    payload = QByteArray();
    std::shared_ptr<web::DocumentModel> page = web::buildDocument(request->markup, request->url);
    if (!send(web::wire::encodeModel(*page))) break;
    // The page's reply is on its way: the engine probes its pictures while the copy is made.
    if (request->wantsWrittenCopy && !sendWrittenCopy(makeCopy, std::move(page), *request)) break;
    // Between pages the helper holds nothing: give the heap back rather than keep its peak.
    page.reset();
    request.reset();
    malloc_trim(0);
  }
  return 0;
}

}  // namespace parse_helper
