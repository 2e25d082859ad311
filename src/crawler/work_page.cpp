#include "crawler/work_page.h"

#include <cstdint>
#include <exception>
#include <limits>

#include "core/logs.h"
#include "core/program.h"
#include "core/trapped_error.h"
#include "core/vb_text.h"
#include "core/vendor.h"
#include "core/version.h"
#include "crawler/browse_to.h"
#include "crawler/get_link.h"
#include "crawler/link_filters.h"
#include "crawler/next_url.h"
#include "display/cleanup_html.h"
#include "display/display_slots.h"
#include "display/get_image.h"
#include "interaction/layout.h"
#include "interaction/shell_open.h"
#include "platform/run_time_error.h"

namespace {

// The link server's reply: "url|depth|linkcode" on the first line.
void ReadLinkList(Program& program, platform::Document& doc) {
  std::string text = doc.innerText();
  const auto lineEnd = vb::InStr(text, "\r\n");
  if (lineEnd > 0) text = vb::Left(text, lineEnd - 1);
  const auto p1 = vb::InStr(text, "|");
  program.startUrl = vb::Left(text, p1 - 1);  // no "|" at all fails here
  const auto p2 = vb::InStr(p1 + 1, text, "|");
  program.depth = vb::CLng(vb::Mid(text, p1 + 1, p2 - p1 - 1));  // and a single one here
  program.linkCode = vb::Mid(text, p2 + 1);
  AddStatus(program, "[BrowseComplete] url=" + program.startUrl + ", depth=" +
                         std::to_string(program.depth) + ", linkcode=" + program.linkCode);
  const std::string url = program.startUrl;
  BrowseTo(program, url);
}

// Takes two words from a random place of the page's text as the next search phrase.
void MinePhrase(Program& program, platform::Document& doc) {
  std::string text = doc.innerText();
  text = vb::Replace(text, "\r", "");
  text = vb::Replace(text, "\n", "");
  text = vb::Replace(text, "  ", " ");

  int attempts = 0;
  // A phrase already pending from an earlier page goes to the search as it is.
  while (vb::Len(program.phrase) < 7 && attempts < 20) {
    const auto length = static_cast<std::int64_t>(text.size());
    // A start below 1 (a short or empty page) is a run-time failure of InStr.
    const std::int64_t p = vb::CLng(static_cast<double>(program.rnd()) * length - 1);
    const auto a = 1 + vb::InStr(p, text, " ");
    const auto b = 1 + vb::InStr(a + 1, text, " ");
    const auto c = vb::InStr(b + 1, text, " ");
    const std::string candidate = vb::Mid(text, a, c - a);
    program.phrase = StripPunctuation(program, candidate);
    AddStatus(program, "[Phrase] " + program.phrase);
    ++attempts;
  }
  if (attempts == 20) {
    // The phrase stays pending; the display uses it when a slot finds no image.
    AddStatus(program, "[Phrase] can't find one!");
    program.nextTimer().setEnabled(true);
    return;
  }
  NextUrl(program, program.phrase);
}

// The server's "major.minor.revision" against our own; offers the download page when newer.
void CheckVersion(Program& program, platform::Document& doc) {
  std::string text = doc.innerText();
  auto dot = vb::InStr(text, ".");
  const auto major = vb::CLng(vb::Left(text, dot));
  text = vb::Mid(text, dot + 1);
  dot = vb::InStr(text, ".");
  const auto minor = vb::CLng(vb::Left(text, dot));
  text = vb::Mid(text, dot + 1);
  const auto revision = vb::CLng(text);

  const std::string server =
      std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
  const std::string mine = std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
                           "." + std::to_string(kVersionRevision);
  // Each number on its own: a newer revision asks for an update even with an older minor.
  const bool upToDate =
      revision <= kVersionRevision && minor <= kVersionMinor && major <= kVersionMajor;
  if (upToDate) {
    AddStatus(program, "[Version] mine: " + mine + ", server: " + server + ", up-to-date");
    return;
  }
  AddStatus(program, "[Version] mine: " + mine + ", server: " + server + ", need update");
  const bool yes = program.platform.dialogs().askYesNo(
      "There is a new version of Quorel available! Do you want to download it now?", "Update");
  if (!yes) return;
  GShell(program, VendorUrl("/quorel/download/"), 10, "", "", "open", 0);
  program.form().close();
}

void HandlePage(Program& program, const std::string& url) {
  program.navPending = false;
  if (program.unloading) return;

  // Keep the work browser out of sight; in debug mode it may be watched where it is.
  if (!program.settings.DebugMode) {
    auto& work = program.workBrowser();
    const int formHeight = program.form().height();
    if (work.top() < formHeight) work.setTop(formHeight + kParkingDrop);
  }
  program.lastActivity = program.now();
  AddStatus(program, "[BrowseComplete (depth=" + std::to_string(program.depth) + ")] " + url);

  // Frames raise their own completions, but the page read is always the top-level one.
  platform::Document& doc = program.workBrowser().document();
  CleanupHTML(program, doc, true);

  const std::int32_t old = program.depth;
  if (old == std::numeric_limits<std::int32_t>::min()) throw platform::overflow();
  program.depth = old - 1;
  if (old == 1) {
    GetImage(program, doc);
  } else if (program.depth == -1) {
    if (doc.imageCount() > 0) {
      IBrowseTo(program, doc.image(0).src);
    } else {
      AddStatus(program, "[WTF] depth " + std::to_string(program.depth) + " with no images");
      program.nextTimer().setEnabled(true);
    }
  } else if (program.depth == -2) {
    ReadLinkList(program, doc);
  } else if (program.depth == -3) {
    MinePhrase(program, doc);
  } else if (program.depth == -4) {
    CheckVersion(program, doc);
  } else if (program.depth >= 1) {
    if (doc.linkCount() - 1 > 0) {
      GetLink(program, doc);
    } else {
      GetImage(program, doc);
    }
  }
}

}  // namespace

void workBrowser_DocumentComplete(Program& program, const std::string& url) {
  AddTrace(program, "workBroswer_DocumentComplete IN");
  try {
    HandlePage(program, url);
  } catch (const std::exception& error) {
    AddStatus(program, "[ERROR] workBrowser_DocumentComplete(): " + TrappedError(error));
  }
  AddTrace(program, "workBroswer_DocumentComplete OUT");
}
