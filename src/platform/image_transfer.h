// A fresh, synchronous fetch of an address's raw bytes (for saving images). Events keep
// being dispatched while it waits.
#pragma once

#include <string>

namespace platform {

struct TransferResult {
  bool ok = false;
  std::string bytes;   // the body as received (an error page's bytes too, when ok)
  std::string error;   // why it failed, when !ok
  std::string format;  // what the bytes are, when ok: "jpeg", "png", "gif", "bmp", "webp", "ico"
};

class ImageTransfer {
 public:
  virtual ~ImageTransfer() = default;
  virtual void cancel() = 0;
  virtual TransferResult fetch(const std::string& url) = 0;
};

}  // namespace platform
