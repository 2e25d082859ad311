#include "interaction/save_image.h"

#include <cstdio>
#include <exception>
#include <vector>

#include "core/local_time.h"
#include "core/logs.h"
#include "core/program.h"
#include "core/vb_text.h"
#include "dialogs/message_window.h"
#include "interaction/autosave_room.h"
#include "platform/run_time_error.h"

namespace {

// The endings a picture's file may have, by the format its bytes are in; the first is the one
// given when the address has none of them.
struct PictureEndings {
  const char* format;
  std::vector<const char*> endings;
};
const PictureEndings kPictureEndings[] = {
    {"jpeg", {".jpg", ".jpeg", ".jpe", ".jfif"}},
    {"png", {".png"}},
    {"gif", {".gif"}},
    {"bmp", {".bmp"}},
    {"webp", {".webp"}},
    {"ico", {".ico"}},
};

// The address's extension tail: from the last "." of its last segment (query included).
std::string extensionTail(const std::string& address) {
  const auto slash = address.find_last_of("/\\");
  const std::string segment = slash == std::string::npos ? address : address.substr(slash + 1);
  const auto dot = segment.rfind('.');
  return dot == std::string::npos ? std::string() : segment.substr(dot);
}

// The address's tail when it names the bytes' format (in any case), else the format's own
// ending: a file's name never claims to be what its bytes are not (a page, a launcher).
std::string pictureEnding(const std::string& tail, const std::string& format) {
  const std::string lower = vb::LCase(tail);
  for (const auto& known : kPictureEndings) {
    if (!format.empty() && format != known.format) continue;
    for (const char* ending : known.endings)
      if (lower == ending) return tail;
    if (!format.empty()) return known.endings.front();
  }
  return {};
}

// What one page may put into the folder, however many pictures it holds.
constexpr int kMostPicturesPerPage = 20;
constexpr std::size_t kMostBytesPerPage = std::size_t{64} << 20;

// A name taken after it was found free (another program, a link planted meanwhile) moves the
// save on to the next one; this many times at most.
constexpr int kTakenNamesSkipped = 100;

// The name with number n: name, then name-1, name-2 ... before the tail.
std::string numberedName(const std::string& stem, int n, const std::string& tail) {
  return n == 0 ? stem + tail : stem + "-" + std::to_string(n) + tail;
}

// Saves the bytes under the first name not taken in the folder; the name tried last is left
// in name for the failure box.
platform::SaveError saveUnderFreeName(Program& program, const std::string& folder,
                                      const std::string& stem, const std::string& tail,
                                      const std::string& bytes, const platform::FileOrigin& origin,
                                      std::string& name) {
  auto& files = program.platform.fileStore();
  platform::SaveError error;
  for (int n = 0, taken = 0; taken <= kTakenNamesSkipped; ++n) {
    name = numberedName(stem, n, tail);
    if (files.exists(folder, name)) continue;
    AddStatus(program, "[Saving] " + folder + "/" + name);
    error = files.saveNew(folder, name, bytes, origin);
    if (error.number != platform::kFileExists) break;
    ++taken;
  }
  return error;
}

platform::TransferResult fetchImage(Program& program, const std::string& href) {
  auto& transfer = program.platform.transfer();
  try {
    transfer.cancel();  // one shared transfer: whatever it still did is dropped
    return transfer.fetch(href);
  } catch (const std::exception& failure) {
    return {false, {}, failure.what(), {}};
  }
}

// "yyyymmdd-hhnnss".
std::string timeStamp(platform::LocalTime when) {
  const LocalFields t = BreakDown(when);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02u%02u-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return stamp;
}

// Only a web page is worth remembering as the picture's referrer.
std::string webAddress(const std::string& address) {
  const std::string lower = vb::LCase(vb::Left(address, 8));
  return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0 ? address
                                                                           : std::string();
}

std::string mebibytes(std::size_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

}  // namespace

std::string SavedImageName(platform::LocalTime when, const std::string& address,
                           const std::string& format) {
  return timeStamp(when) + pictureEnding(extensionTail(address), format);
}

void SaveImage(Program& program, platform::Document& doc, SaveBy by, const std::string& page) {
  auto& dialogs = program.platform.dialogs();
  const std::string folder = program.settings.AutosavePath;
  if (folder.empty()) {
    dialogs.messageBox("You have to set your auto-save path before you can capture images.",
                       "Whoa");
    return;
  }

  // The addresses are taken before the first fetch: events run while fetching and may put a
  // new page into this very browser.
  std::vector<std::string> addresses;
  const int count = doc.imageCount();
  for (int i = 0; i < count; ++i) addresses.push_back(doc.image(i).href);

  const bool automatic = by == SaveBy::Autosave;
  int pictures = 0;
  std::size_t written = 0;
  const auto limitReached = [&] {
    AddStatus(program, "[SaveLimit] the rest of this page is not saved: " +
                           std::to_string(pictures) + " saved, " + mebibytes(written));
  };
  for (const auto& href : addresses) {
    if (pictures == kMostPicturesPerPage) {
      limitReached();
      return;
    }
    // Checked before every file: one page's pictures can fill what was left.
    if (automatic && !AutosaveHasRoom(program, 0)) return;
    AddStatus(program, "[Fetching] " + href);
    const platform::TransferResult reply = fetchImage(program, href);
    if (!reply.ok) {
      AddStatus(program, "[Fetching] failed: " + reply.error);
      return;
    }
    if (written + reply.bytes.size() > kMostBytesPerPage) {
      limitReached();
      return;
    }
    if (automatic && !AutosaveHasRoom(program, reply.bytes.size())) return;

    const std::string stem = timeStamp(program.now());
    const std::string tail = pictureEnding(extensionTail(href), reply.format);
    const platform::FileOrigin origin{href, webAddress(page)};
    std::string name = stem + tail;
    platform::SaveError error;
    try {
      error = saveUnderFreeName(program, folder, stem, tail, reply.bytes, origin, name);
      if (error.number == 0 && !error.originKept)
        AddStatus(program, "[SaveOrigin] not kept with " + name +
                               ": the folder's file system refuses extended attributes");
      // Confirmed only once it is true: a failed save shows its box and nothing else.
      if (error.number == 0 && !program.settings.AutosaveMode)
        ShowMessage(program, "File saved as " + name);
    } catch (const platform::RunTimeError& failure) {
      error = {failure.number(), failure.description()};
    } catch (const std::exception& failure) {
      error = {platform::kPathFileAccessError, failure.what()};
    }
    if (error.number != 0) {
      dialogs.messageBox(
          "Cannot save " + name + ": " + std::to_string(error.number) + ", " + error.description,
          "Quorel");
      return;
    }
    ++pictures;
    written += reply.bytes.size();
  }
}
