// The HTML document model the logic reads and writes: what a crawled page, an image or a
// display page offers. Every read is live: collections are read afresh on each call.
#pragma once

#include <functional>
#include <string>

namespace platform {

// How write took the markup it was given.
enum class WriteOutcome {
  Written,       // the document is the markup, parsed
  KeptAsLoaded,  // the markup could not be parsed in time; the page stays as it was loaded
};

// An item of the images collection: the resolved address and the laid-out size in pixels.
struct ImageElement {
  std::string src;   // resolved against the document's address and <base>
  std::string href;  // the absolute address (the same as src for our engine)
  int width = 0;
  int height = 0;
};

class Document {
 public:
  virtual ~Document() = default;

  // documentElement.innerHTML / innerText. A document without a documentElement
  // throws RunTimeError 91 (objectNotSet).
  virtual std::string innerHTML() = 0;
  virtual std::string innerText() = 0;

  virtual int imageCount() = 0;
  // Throws RunTimeError 91 for an index outside 0..imageCount()-1 (the item is missing).
  virtual ImageElement image(int index) = 0;

  virtual int linkCount() = 0;
  // The link's resolved address; throws RunTimeError 91 for an index out of range.
  virtual std::string link(int index) = 0;

  virtual int frameCount() = 0;
  // The frame's location (its URL); throws RunTimeError 91 for an index out of range.
  virtual std::string frameLocation(int index) = 0;

  virtual std::string url() = 0;

  // Close ends writing; Clear empties the document.
  virtual void close() = 0;
  virtual void clear() = 0;
  // Replaces the content with the markup given in one call, parsed like a page, and says
  // Written. A parse that would outlast its budget is given up: the document then holds the
  // page as it was last loaded, even after clear (an empty page if none was), and write says
  // KeptAsLoaded.
  virtual WriteOutcome write(const std::string& markup) = 0;

  // The document's onclick: the handler returns false to cancel the default action.
  // An empty function unbinds.
  virtual void setOnClick(std::function<bool()> handler) = 0;
};

}  // namespace platform
