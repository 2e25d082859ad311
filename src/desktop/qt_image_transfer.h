// QtImageTransfer: fetches a picture's bytes for saving through the engine (its address policy,
// caps, redirect checks and User-Agent), synchronously for the caller while a local event loop
// keeps the program's events running.
//
// [X] only a 2xx answer whose bytes are a picture; anything else fails with a reason
// [X] cancel() ends the fetches in progress; a fetch started afterwards (from an event, while
//     an older one still waits further down the stack) runs on and delivers its own bytes
#pragma once

#include <vector>

#include "platform/image_transfer.h"

namespace web {
class Engine;
}

namespace desktop {

class QtImageTransfer : public platform::ImageTransfer {
 public:
  explicit QtImageTransfer(web::Engine& engine) : engine_(engine) {}
  void cancel() override;
  platform::TransferResult fetch(const std::string& url) override;

 private:
  struct Waiting;
  web::Engine& engine_;
  std::vector<Waiting*> waiting_;  // innermost last
};

}  // namespace desktop
