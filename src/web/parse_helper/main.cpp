// quorel-parse: turns untrusted markup into the document model, for the engine, page after
// page, inside a sandbox and an address-space limit. Requests arrive on stdin, models leave
// on stdout (web/parse_wire.h); a line on stderr says why it gave up. The engine bounds each
// parse in time and kills this process on overrun.
#include <malloc.h>
#include <unistd.h>

#include <cstring>

#include "web/document_model.h"
#include "web/parse_helper/pipe_io.h"
#include "web/parse_helper/sandbox.h"
#include "web/parse_wire.h"

namespace {

constexpr std::size_t kMemoryLimit = 512u * 1024 * 1024;

void say(const char* line) { (void)!write(2, line, std::strlen(line)); }

// Qt and the C library set up some state on first use (locale, Unicode tables, the
// allocator's arenas); doing that before the filter keeps the served parses to the few
// calls the filter allows.
void warmUp() {
  web::buildDocument("<p><a href='b?c=d'>x</a><img src='e.png' width=1></p>",
                     QUrl("http://warm.invalid/a/"));
}

}  // namespace

int main() {
  warmUp();
  if (!parse_helper::limitMemory(kMemoryLimit) || !parse_helper::enterSandbox()) return 2;

  QByteArray header(web::wire::kHeaderBytes, '\0');
  while (parse_helper::readFully(0, header.data(), std::size_t(header.size()))) {
    const std::uint32_t length = *web::wire::frameLength(header);
    if (length > web::wire::kMaxFrameBytes) {
      say("quorel-parse: request too large\n");
      return 3;
    }
    QByteArray payload(qsizetype(length), Qt::Uninitialized);
    if (!parse_helper::readFully(0, payload.data(), length)) break;
    std::optional<web::wire::Request> request = web::wire::decodeRequest(payload);
    if (!request) {
      say("quorel-parse: malformed request\n");
      return 3;
    }
    payload = QByteArray();
    QByteArray reply = web::wire::encodeModel(*web::buildDocument(request->markup, request->url));
    if (!parse_helper::writeFully(1, reply.constData(), std::size_t(reply.size()))) break;
    // Between pages the helper holds nothing: give the heap back rather than keep its peak.
    reply = QByteArray();
    request.reset();
    malloc_trim(0);
  }
  return 0;
}
