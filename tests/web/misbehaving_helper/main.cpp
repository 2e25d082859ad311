// A parse helper gone bad, for the engine's tests: what code an attacker ran inside
// quorel-parse could do, from inside the same sandbox. Each request's markup starts with what
// to do; any other markup gets a small honest model whose text is "fine".
//   flood-stderr        8 MiB on stderr, terminal escapes in each line, then the honest model
//   oversized-reply     announces and sends a 200 MiB model
//   empty-links         100 MiB of empty links (4 bytes each on the pipe)
//   empty-links-bytes   as many empty links as the reply limit of the request leaves room for
//   empty-links-items   as many as its item limit allows
//   open-file           opens a folder for reading (harmless had it worked)
//   signal-parent       a signal (0: harmless) to the process that started it
//   abort               abort(), a signal to itself
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "web/parse_helper/pipe_io.h"
#include "web/parse_helper/sandbox.h"
#include "web/parse_wire.h"

namespace {

constexpr std::size_t kMiB = 1024 * 1024;
char zeros[kMiB];

bool writeU32(std::uint32_t value) {
  return parse_helper::writeFully(1, reinterpret_cast<const char*>(&value), sizeof value);
}

bool writeZeros(std::size_t size) {
  for (std::size_t chunk; size > 0; size -= chunk) {
    chunk = std::min(size, sizeof zeros);
    if (!parse_helper::writeFully(1, zeros, chunk)) return false;
  }
  return true;
}

// A model that is nothing but empty links: the root flag, three empty texts (markup, text,
// panel), no images, the links, no frames.
constexpr std::uint32_t kAroundLinks = 1 + 3 * 4 + 4 + 4 + 4;
bool sendEmptyLinks(std::uint32_t links) {
  return writeU32(kAroundLinks + 4 * links) && parse_helper::writeFully(1, "\1", 1) &&
         writeZeros(16) && writeU32(links) && writeZeros(4 * std::size_t(links)) && writeU32(0);
}

bool sendHonest() {
  web::DocumentModel model;
  model.innerHTML = "<head></head><body>fine</body>";
  model.innerText = "fine";
  const QByteArray reply = web::wire::encodeModel(model);
  return parse_helper::writeFully(1, reply.constData(), std::size_t(reply.size()));
}

}  // namespace

int main() {
  const pid_t parent = getppid();
  if (!parse_helper::limitMemory(512 * kMiB) || !parse_helper::enterSandbox()) return 2;
  QByteArray header(web::wire::kHeaderBytes, '\0');
  while (parse_helper::readFully(0, header.data(), std::size_t(header.size()))) {
    QByteArray payload(qsizetype(*web::wire::frameLength(header)), Qt::Uninitialized);
    if (!parse_helper::readFully(0, payload.data(), std::size_t(payload.size()))) break;
    const QByteArray markup = web::wire::decodeRequest(payload)->markup;
    bool sent = true;
    if (markup.startsWith("flood-stderr")) {
      const QByteArray line = "\x1b]0;taken\x07\x1b[2J" + QByteArray(1009, 'x') + '\n';
      for (int i = 0; i < 8 * 1024 && sent; ++i)
        sent = parse_helper::writeFully(2, line.constData(), 1024);
      sent = sent && sendHonest();
    } else if (markup.startsWith("oversized-reply")) {
      sent = writeU32(200 * kMiB) && writeZeros(200 * kMiB);
    } else if (markup.startsWith("empty-links-bytes")) {
      sent = sendEmptyLinks((web::wire::replyLimit(markup.size()) - kAroundLinks) / 4);
    } else if (markup.startsWith("empty-links-items")) {
      sent = sendEmptyLinks(web::wire::itemLimit(markup.size()));
    } else if (markup.startsWith("empty-links")) {
      sent = sendEmptyLinks(100 * kMiB / 4);
    } else if (markup.startsWith("open-file")) {
      const int fd = openat(AT_FDCWD, "/", O_RDONLY | O_DIRECTORY);
      if (fd >= 0) close(fd);
      return 4;  // the sandbox let it through
    } else if (markup.startsWith("signal-parent")) {
      syscall(SYS_tgkill, parent, parent, 0);
      return 4;  // the sandbox let it through
    } else if (markup.startsWith("abort")) {
      std::abort();
    } else {
      sent = sendHonest();
    }
    if (!sent) break;
  }
  return 0;
}
