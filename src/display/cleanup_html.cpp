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
    std::string text = doc.innerHTML();
    result = text;
    if (!text.empty()) {
      doc.close();
      std::string markup = NeutralisedMarkup(std::move(text), useBase ? doc.url() : "", useBase);
      platform::Document& work = program.workBrowser().document();
      work.clear();
      work.write(markup);
      result = std::move(markup);
    }
  } catch (const std::exception& error) {
    AddStatus(program, "[ERROR] CleanupHTML(): " + TrappedError(error));
  }
  AddTrace(program, "CleanupHTML OUT");
  return result;
}
