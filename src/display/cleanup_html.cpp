#include "display/cleanup_html.h"

#include <string>

#include "core/logs.h"
#include "core/program.h"
#include "core/trapped_error.h"
#include "display/neutralised_markup.h"

std::string CleanupHTML(Program& program, platform::Document& doc, bool useBase) {
  AddTrace(program, "CleanupHTML IN");
  std::string result;
  try {
    result = doc.innerHTML();
    if (!result.empty()) {
      doc.close();
      // The markup is rewritten where it lies: a large page is not copied once more.
      std::string markup = NeutralisedMarkup(std::move(result), useBase ? doc.url() : "", useBase);
      platform::Document& work = program.workBrowser().document();
      work.clear();
      if (work.write(markup) == platform::WriteOutcome::KeptAsLoaded) {
        // The crawl then reads the page as loaded, not the copy: say so in the log.
        AddStatus(program, "[CleanupHTML] written copy not parsed in time, page kept as loaded: " +
                               work.url());
      }
      result = std::move(markup);
    }
  } catch (const std::exception& error) {
    AddStatus(program, "[ERROR] CleanupHTML(): " + TrappedError(error));
  }
  AddTrace(program, "CleanupHTML OUT");
  return result;
}
