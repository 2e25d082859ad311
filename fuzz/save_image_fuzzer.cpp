// Saving a display page's images, with arbitrary image addresses: the file name comes from
// the address's tail, so the address must never steer a write out of the auto-save folder.
// Every path the saver hands to the file store is checked before anything is written.
//
// Input: mode byte (0x01 auto-save on, 0x02 folder with a trailing "/", 0x04 fetches fail,
// 0x08 every save fails, 0x30 the format the bytes are in: unknown, JPEG, PNG or GIF), then
// the image addresses, one per line.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "app/startup.h"
#include "core/program.h"
#include "dialogs/secondary_windows.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "interaction/save_image.h"
#include "support/fake_platform.h"

namespace {

namespace fs = std::filesystem;

bool Inside(const fs::path& path, const fs::path& folder) {
  const fs::path full = fs::weakly_canonical(path);
  const fs::path relative = full.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

// Refuses, loudly, any path outside the folder before the real store writes it.
class GuardedStore : public platform::FileStore {
 public:
  GuardedStore(platform::FileStore& inner, fs::path folder)
      : inner_(inner), folder_(std::move(folder)) {}
  bool exists(const std::string& folder, const std::string& name) override {
    return inner_.exists(folder, name);
  }
  platform::SaveError saveNew(const std::string& folder, const std::string& name,
                              const std::string& bytes,
                              const platform::FileOrigin& origin) override {
    const std::string path = folder + "/" + name;
    if (name.find('/') != std::string::npos || !Inside(path, folder_)) {
      std::fprintf(stderr, "save outside the auto-save folder: %s\n", path.c_str());
      std::abort();
    }
    ++saves;
    return inner_.saveNew(folder, name, bytes, origin);
  }
  std::optional<platform::DiskSpace> space(const std::string& folder) override {
    return inner_.space(folder);
  }
  int saves = 0;

 private:
  platform::FileStore& inner_;
  fs::path folder_;
};

class GuardedPlatform : public fake::FakePlatform {
 public:
  GuardedPlatform() : saved(fs::canonical(folder) / "saved"), guard(files, saved) {
    fs::create_directories(saved);
  }
  platform::FileStore& fileStore() override { return guard; }
  fs::path saved;
  GuardedStore guard;
};

// What the folder holds, recursively, so a stray file anywhere under it shows up.
std::size_t CountEntries(const fs::path& folder) {
  std::size_t n = 0;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error))
    ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t mode = in.byte();
  const std::string text = in.rest();

  GuardedPlatform platform;
  Program program{platform};
  SecondaryWindows windows{program};
  Startup(program, "");
  program.settings.DebugMode = false;
  program.settings.AutosaveMode = (mode & 0x01) != 0;
  program.settings.AutosavePath = platform.saved.string() + ((mode & 0x02) ? "/" : "");
  if (mode & 0x08)
    platform.files.failWith = {platform::kPathFileAccessError, "Path/file access error"};
  const std::size_t before = CountEntries(platform.folder);
  const char* const formats[] = {"", "jpeg", "png", "gif"};
  const std::string format = formats[(mode >> 4) & 0x03];

  fake::FakeDocument page;
  page.withUrl("http://display.test/");
  for (const std::string& address : fuzz::Lines(text, 8)) {
    // The name alone: the moment, then a tail that cannot name another folder.
    const std::string name = SavedImageName(platform.clock_.now(), address, format);
    FUZZ_CHECK(name.compare(0, 15, "20040103-142501") == 0,
               "the name starts with the moment of saving");
    for (const char c : name)
      FUZZ_CHECK(c != '/' && c != '\\' && static_cast<unsigned char>(c) >= 0x20,
                 "no separator or control byte in the name");
    page.withImage(address, 120, 90);
    if (!(mode & 0x04))
      platform.transfer_.replies[address] = {true, "GIF89a" + address, {}, format};
  }

  SaveImage(program, page, (mode & 0x01) ? SaveBy::Autosave : SaveBy::User, page.url());

  // Files appear only in the auto-save folder (the logs are off).
  const std::size_t inFolder = CountEntries(platform.saved);
  const std::size_t after = CountEntries(platform.folder);
  FUZZ_CHECK(after - inFolder == before, "nothing new outside the auto-save folder");
  FUZZ_CHECK(inFolder <= static_cast<std::size_t>(platform.guard.saves),
             "one file per save at most, no folders made");
  return 0;
}
