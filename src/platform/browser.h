// The embedded web browser: one work browser that crawls and ten display browsers.
// Its events are always delivered later from the event loop, never from inside navigate2().
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/control.h"
#include "platform/document.h"

namespace platform {

// Status codes of NavigateError besides HTTP status numbers.
constexpr std::int32_t kServerNotFound = static_cast<std::int32_t>(0x800C0005u);
constexpr std::int32_t kObjectNotFound = static_cast<std::int32_t>(0x800C0006u);

class Browser : public virtual Control {
 public:
  virtual void navigate2(const std::string& url) = 0;
  // The same, for an address the program built itself (its link list, its version, a search):
  // only these may reach the link server, whose address is private. What a page names never is.
  virtual void navigateOwn(const std::string& url) = 0;
  virtual bool silent() const = 0;
  virtual void setSilent(bool silent) = 0;
  // Stops everything the browser has in flight; no event follows for it.
  virtual void quit() = 0;
  // The loaded document (an empty one before the first navigation completes).
  virtual Document& document() = 0;

  struct Events {
    // Once per frame (with the frame's address) and once for the whole page.
    std::function<void(const std::string& url)> documentComplete;
    // cancel starts false; setting it true suppresses the error page.
    std::function<void(const std::string& url, const std::string& frame, std::int32_t status,
                       bool& cancel)>
        navigateError;
    // cancel starts false; setting it true refuses the new window.
    std::function<void(bool& cancel)> newWindow2;
  };
  virtual void setEvents(Events events) = 0;
};

}  // namespace platform
