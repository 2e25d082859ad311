// quorel-parse: turns untrusted markup into the document model, for the engine, page after
// page, inside a sandbox and an address-space limit (web/parse_helper/serve.h). Composed here,
// beside the program, because it also makes each page's disarmed copy the way the program's
// CleanupHTML will write it back, and parses that copy ahead, off the user-interface thread.
#include "display/neutralised_markup.h"
#include "web/parse_helper/serve.h"

int main() {
  return parse_helper::serve(
      [](std::string innerHTML, const std::string& url) -> std::optional<std::string> {
        // CleanupHTML writes nothing for an empty page, and always asks for the BASE element.
        if (innerHTML.empty()) return std::nullopt;
        return NeutralisedMarkup(std::move(innerHTML), url, true);
      });
}
