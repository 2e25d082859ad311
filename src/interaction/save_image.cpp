#include "interaction/save_image.h"

#include <cstdio>
#include <exception>
#include <vector>

#include "app/local_time.h"
#include "app/logs.h"
#include "app/program.h"
#include "dialogs/message_window.h"
#include "platform/run_time_error.h"

namespace {

// Longest tail kept: with the time stamp and a "-N" it stays well inside a file name's 255
// bytes, so a long query string cannot make the picture unsaveable.
constexpr std::size_t kLongestTail = 200;

// The extension tail of an address, taken only from its last segment so that no part of the
// address can steer the file out of the folder; separators and control bytes are dropped.
std::string extensionTail(const std::string& address) {
  const auto slash = address.find_last_of("/\\");
  const std::string segment = slash == std::string::npos ? address : address.substr(slash + 1);
  const auto dot = segment.rfind('.');
  if (dot == std::string::npos) return {};
  std::string tail;
  for (const char c : segment.substr(dot)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\') continue;
    tail += c;
  }
  if (tail.size() > kLongestTail) {
    std::size_t cut = kLongestTail;
    while (cut > 0 && (static_cast<unsigned char>(tail[cut]) & 0xC0) == 0x80)
      --cut;  // whole characters
    tail.resize(cut);
  }
  return tail;
}

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
                                      const std::string& bytes, std::string& name) {
  auto& files = program.platform.fileStore();
  platform::SaveError error;
  for (int n = 0, taken = 0; taken <= kTakenNamesSkipped; ++n) {
    name = numberedName(stem, n, tail);
    if (files.exists(folder, name)) continue;
    AddStatus(program, "[Saving] " + folder + "/" + name);
    error = files.saveNew(folder, name, bytes);
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
    return {false, {}, failure.what()};
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

}  // namespace

std::string SavedImageName(platform::LocalTime when, const std::string& address) {
  return timeStamp(when) + extensionTail(address);
}

void SaveImage(Program& program, platform::Document& doc) {
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

  for (const auto& href : addresses) {
    AddStatus(program, "[Fetching] " + href);
    const platform::TransferResult reply = fetchImage(program, href);
    if (!reply.ok) {
      AddStatus(program, "[Fetching] failed: " + reply.error);
      return;
    }

    const std::string stem = timeStamp(program.now());
    const std::string tail = extensionTail(href);
    std::string name = stem + tail;
    platform::SaveError error;
    try {
      error = saveUnderFreeName(program, folder, stem, tail, reply.bytes, name);
      // Confirmed only once it is true: a failed save shows its box and nothing else.
      if (error.number == 0 && !program.settings.AutosaveMode)
        ShowMessage(program, "File saved as " + name);
    } catch (const platform::RunTimeError& failure) {
      error = {failure.number(), failure.description()};
    } catch (const std::exception& failure) {
      error = {75, failure.what()};
    }
    if (error.number != 0) {
      dialogs.messageBox(
          "Cannot save " + name + ": " + std::to_string(error.number) + ", " + error.description,
          "Quorel");
      return;
    }
  }
}
