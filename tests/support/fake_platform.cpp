#include "support/fake_platform.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "support/read_file.h"

namespace fake {

using namespace std::chrono;

int FakeScreen::width() const {
  int right = 0;
  for (const platform::Monitor& m : monitors_) right = std::max(right, m.left + m.width);
  return right;
}

int FakeScreen::height() const {
  int bottom = 0;
  for (const platform::Monitor& m : monitors_) bottom = std::max(bottom, m.top + m.height);
  return bottom;
}

void FakeClock::set(int y, unsigned m, unsigned d, int hour, int minute, int second) {
  const local_days day{year{y} / month{m} / std::chrono::day{d}};
  now_ = platform::LocalTime{day} + hours{hour} + minutes{minute} + seconds{second};
}

FakeTimer::FakeTimer(FakePlatform& platform, std::string name)
    : platform_(platform), name_(std::move(name)) {
  platform_.registerTimer(this);
}

FakeTimer::~FakeTimer() { platform_.unregisterTimer(this); }

void FakeTimer::rearm() { deadline_ = platform_.clock_.now_ + milliseconds{interval_}; }

void FakeTimer::setInterval(int ms) {
  interval_ = ms;
  if (enabled_) rearm();
}

void FakeTimer::setEnabled(bool enabled) {
  if (enabled && !enabled_) rearm();  // arming an armed timer keeps its deadline
  enabled_ = enabled;
}

void FakeTimer::fire() {
  ++fired;
  rearm();
  if (handler_) handler_();
}

float FakeRandom::next() {
  ++draws;
  if (!scripted_.empty()) {
    const float value = scripted_.front();
    scripted_.pop_front();
    return value;
  }
  static const float cycle[] = {0.37f, 0.81f, 0.12f, 0.64f, 0.93f, 0.28f, 0.55f};
  return cycle[static_cast<std::size_t>(draws) % std::size(cycle)];
}

bool FakeFileStore::exists(const std::string& folder, const std::string& name) {
  std::error_code error;  // a name too long for the system is simply not there
  return std::filesystem::exists(std::filesystem::symlink_status(folder + "/" + name, error));
}

platform::SaveError FakeFileStore::saveNew(const std::string& folder, const std::string& name,
                                           const std::string& bytes,
                                           const platform::FileOrigin& origin) {
  if (failWith.number != 0) return failWith;
  const std::filesystem::path path = std::filesystem::path(folder) / name;
  if (beforeSave) beforeSave(path);
  if (exists(folder, name)) return {platform::kFileExists, "File already exists"};
  std::ofstream out(path, std::ios::binary);
  if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
    return {platform::kPathFileAccessError, "Path/file access error"};
  saved.push_back(path.string());
  origins.push_back(origin);
  if (disk) disk->available -= std::min<std::uint64_t>(disk->available, bytes.size());
  return {0, {}, keepsOrigins};
}

FakeMainWindow::FakeMainWindow(FakePlatform& platform)
    : work(&stacking),
      logo(&stacking),
      clockLabel(&stacking),
      addressBox(&stacking),
      next(platform, "nextTimer"),
      time(platform, "timeTimer"),
      recovery(platform, "recoveryTimer") {
  // Sizes in twips: the window covering the screen, as after loading; the controls at their
  // design-time sizes.
  FakeControl::move(0, 0, 1024 * 15, 768 * 15);
  work.move(0, 0, 9000, 1500);
  logo.move(0, 0, 1320, 1170);
  clockLabel.setCaption("This is the time label");
  addressBox.move(0, 0, 4000, 285);
  addressBox.setText("urlBox");
  for (int k = 0; k < kSlots; ++k) {
    browsers.push_back(std::make_unique<FakeBrowser>(&stacking));
    picboxes.push_back(std::make_unique<FakePictureBox>(&stacking));
    browsers.back()->move(0, 0, 3000, 3000);
    picboxes.back()->move(0, 0, 3000, 3000);
  }
}

void FakeMainWindow::close() {
  ++closeCalls;
  if (events.unload) events.unload();
}

FakePlatform::FakePlatform() {
  clock_.set(2004, 1, 3, 14, 25, 1);
  static int counter = 0;
  folder = std::filesystem::temp_directory_path() /
           ("quorel-fake-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
  std::filesystem::create_directories(folder);
}

FakePlatform::~FakePlatform() {
  window_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

FakeMainWindow& FakePlatform::mainWindow() {
  if (!window_) window_ = std::make_unique<FakeMainWindow>(*this);
  return *window_;
}

void FakePlatform::unregisterTimer(FakeTimer* timer) { std::erase(timers_, timer); }

void FakePlatform::advance(milliseconds duration) {
  const auto target = clock_.now_ + duration;
  for (;;) {
    FakeTimer* due = nullptr;
    for (FakeTimer* timer : timers_)
      if (timer->armed() && timer->deadline() <= target &&
          (!due || timer->deadline() < due->deadline()))
        due = timer;
    if (!due) break;
    clock_.now_ = std::max(clock_.now_, due->deadline());
    due->fire();
  }
  clock_.now_ = target;
}

std::string FakePlatform::readLog(const std::string& fileName) const {
  return readFile(folder / fileName);
}

std::vector<std::string> FakePlatform::logLines(const std::string& fileName) const {
  const std::string log = readLog(fileName);
  std::vector<std::string> lines;
  for (std::size_t from = 0, end; (end = log.find("\r\n", from)) != std::string::npos;
       from = end + 2)
    lines.push_back(log.substr(from + 18, end - from - 18));  // after "mm/dd/yy hh:nn:ss "
  return lines;
}

}  // namespace fake
