// The fake platform: virtual time with timers that fire in order when the test advances the
// clock, scripted random draws, and in-memory stand-ins for every service.
// No logic test ever sleeps.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/platform.h"
#include "support/fake_browser.h"
#include "support/fake_controls.h"

namespace fake {

class FakePlatform;

class FakeClock : public platform::Clock {
 public:
  platform::LocalTime now() const override { return now_; }
  std::string weekdayName(unsigned weekday) const override {
    static const char* names[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};
    return names[weekday % 7];
  }
  std::string monthShortName(unsigned month) const override {
    static const char* names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return names[(month + 11) % 12];
  }
  void set(int year, unsigned month, unsigned day, int hour = 0, int minute = 0, int second = 0);
  platform::LocalTime now_{};
};

class FakeTimer : public platform::Timer {
 public:
  explicit FakeTimer(FakePlatform& platform, std::string name);
  ~FakeTimer() override;
  int interval() const override { return interval_; }
  void setInterval(int milliseconds) override;
  bool enabled() const override { return enabled_; }
  void setEnabled(bool enabled) override;
  void setOnTimer(std::function<void()> handler) override { handler_ = std::move(handler); }

  const std::string& name() const { return name_; }
  // When it fires next (only meaningful while armed).
  platform::LocalTime deadline() const { return deadline_; }
  bool armed() const { return enabled_ && interval_ > 0; }
  void fire();
  int fired = 0;

 private:
  void rearm();
  FakePlatform& platform_;
  std::string name_;
  int interval_ = 0;
  bool enabled_ = true;  // as designed: enabled with interval 0, so it never fires
  platform::LocalTime deadline_{};
  std::function<void()> handler_;
};

class FakeRandom : public platform::RandomSource {
 public:
  void seedFromClock() override { ++seeds; }
  // Scripted draws come first; after them a fixed sequence cycles.
  float next() override;
  void script(std::vector<float> values) {
    scripted_.insert(scripted_.end(), values.begin(), values.end());
  }
  int seeds = 0;
  int draws = 0;

 private:
  std::deque<float> scripted_;
};

class FakeSettingsStore : public platform::SettingsStore {
 public:
  std::string read(const std::string& key, const std::string& defaultText) const override {
    reads.push_back(key);
    return values.count(key) ? values.at(key) : defaultText;
  }
  void write(const std::string& key, const std::string& text) override {
    values[key] = text;
    writes.emplace_back(key, text);
  }
  std::map<std::string, std::string> values;
  std::vector<std::pair<std::string, std::string>> writes;  // in order
  mutable std::vector<std::string> reads;                   // keys, in order
};

struct ShellCall {
  int owner;
  std::string verb, file, parameters, folder;
  int showCommand;
  bool operator==(const ShellCall&) const = default;
};

class FakeShell : public platform::Shell {
 public:
  int execute(int ownerWindow, const std::string& verb, const std::string& file,
              const std::string& parameters, const std::string& folder, int showCommand) override {
    calls.push_back({ownerWindow, verb, file, parameters, folder, showCommand});
    return result;
  }
  std::vector<ShellCall> calls;
  int result = 42;
};

class FakeTransfer : public platform::ImageTransfer {
 public:
  void cancel() override { ++cancels; }
  platform::TransferResult fetch(const std::string& url) override {
    fetches.push_back(url);
    return replies.count(url) ? replies.at(url)
                              : platform::TransferResult{false, {}, "no reply", {}};
  }
  std::map<std::string, platform::TransferResult> replies;  // missing: a failed fetch
  std::vector<std::string> fetches;
  int cancels = 0;
};

struct MessageBoxCall {
  std::string text, title;
  bool operator==(const MessageBoxCall&) const = default;
};

class FakeDialogs : public platform::UserDialogs {
 public:
  void messageBox(const std::string& text, const std::string& title) override {
    messageBoxes.push_back({text, title});
  }
  bool askYesNo(const std::string& text, const std::string& title) override {
    questions.push_back({text, title});
    return answerYes;
  }
  int popupMenu(const std::vector<platform::MenuEntry>& entries) override {
    menus.push_back(entries);
    if (whileMenuOpen) whileMenuOpen();
    return menuChoice;
  }
  std::optional<std::string> chooseFolder(const std::string&) override { return folderChoice; }

  std::vector<MessageBoxCall> messageBoxes;
  std::vector<MessageBoxCall> questions;
  bool answerYes = false;
  std::vector<std::vector<platform::MenuEntry>> menus;
  int menuChoice = 0;
  std::function<void()> whileMenuOpen;  // runs inside popupMenu, as the modal loop would
  std::optional<std::string> folderChoice;
};

// 1024 x 768 pixels of 15 twips on one monitor unless a test sets others, scroll bars 17
// pixels wide; the size is the monitors' bounding box from the desktop's corner.
class FakeScreen : public platform::Screen {
 public:
  int width() const override;
  int height() const override;
  std::vector<platform::Monitor> monitors() const override { return monitors_; }
  double devicePixelRatio() const override { return ratio_; }
  int twipsPerPixelX() const override { return 15; }
  int twipsPerPixelY() const override { return 15; }
  int verticalScrollBarWidth() const override { return 17; }
  int horizontalScrollBarHeight() const override { return 17; }

  std::vector<platform::Monitor> monitors_ = {{0, 0, 1024 * 15, 768 * 15, true}};
  double ratio_ = 1;
};

class FakeMouseHooks : public platform::MouseHooks {
 public:
  int installMouseHook(platform::MouseHookProcedure p) override {
    procedure = std::move(p);
    return 7;
  }
  void removeMouseHook(int) override { procedure = nullptr; }
  // Sends a mouse message through the installed hook; true when it was swallowed.
  bool send(const platform::MouseHookEvent& event) { return procedure && procedure(event); }
  platform::MouseHookProcedure procedure;  // empty while none is installed
};

// Real files (in the test's temporary folder), never replacing an existing one;
// a scripted failure stands in for a full disk or a read-only folder.
class FakeFileStore : public platform::FileStore {
 public:
  bool exists(const std::string& folder, const std::string& name) override;
  platform::SaveError saveNew(const std::string& folder, const std::string& name,
                              const std::string& bytes,
                              const platform::FileOrigin& origin) override;
  std::optional<platform::DiskSpace> space(const std::string&) override { return disk; }
  platform::SaveError failWith;  // number != 0: every save fails with it
  // Runs as a save begins, after the name was found free: another program taking it.
  std::function<void(const std::filesystem::path&)> beforeSave;
  // Each file saved takes its bytes from it.
  std::optional<platform::DiskSpace> disk =
      platform::DiskSpace{std::uint64_t{100} << 30, std::uint64_t{200} << 30};
  std::vector<std::string> saved;
  std::vector<platform::FileOrigin> origins;  // of each file saved
  bool keepsOrigins = true;                   // false: a file system without extended attributes
};

class FakeMainWindow : public FakeControl, public platform::MainWindow {
 public:
  explicit FakeMainWindow(FakePlatform& platform);

  std::string caption() const override { return caption_; }
  void setCaption(const std::string& caption) override { caption_ = caption; }
  void setBackColor(std::uint32_t rgb) override { backColor = rgb; }
  void setMaximized() override { maximized = true; }
  void show() override { shown = true; }
  void close() override;

  FakeBrowser& workBrowser() override { return work; }
  FakeBrowser& browser(int slot) override { return *browsers.at(static_cast<std::size_t>(slot)); }
  FakePictureBox& picbox(int slot) override { return *picboxes.at(static_cast<std::size_t>(slot)); }
  platform::PictureBox& picLogo() override { return logo; }
  platform::Label& timeLab() override { return clockLabel; }
  platform::TextBox& urlBox() override { return addressBox; }
  platform::Timer& nextTimer() override { return next; }
  platform::Timer& timeTimer() override { return time; }
  platform::Timer& recoveryTimer() override { return recovery; }
  void setEvents(Events newEvents) override { events = std::move(newEvents); }

  Stacking stacking;
  FakeBrowser work;
  std::vector<std::unique_ptr<FakeBrowser>> browsers;
  std::vector<std::unique_ptr<FakePictureBox>> picboxes;
  FakePictureBox logo;
  FakeLabel clockLabel;
  FakeTextBox addressBox;
  FakeTimer next, time, recovery;
  Events events;
  std::string caption_;
  std::uint32_t backColor = 0xC0C0C0;
  bool maximized = false;
  bool shown = false;
  int closeCalls = 0;
};

class FakeOptionsView : public platform::OptionsView {
  using Check = platform::OptionsCheck;
  using List = platform::OptionsList;

 public:
  std::string title() const override { return title_; }
  void setTitle(const std::string& title) override { title_ = title; }
  int width() const override { return 5295; }
  int height() const override { return 4110; }
  void setPosition(int x, int y) override { std::tie(left, top) = std::tie(x, y); }
  int checkValue(Check box) const override { return checks.count(box) ? checks.at(box) : 0; }
  void setCheckValue(Check box, int value) override { checks[box] = value; }
  void setCheckVisible(Check box, bool visible) override { checkVisible[box] = visible; }
  void clearList(List list) override {
    lists[list].clear();
    indices[list] = -1;
  }
  void addListEntry(List list, const std::string& text) override { lists[list].push_back(text); }
  int listIndex(List list) const override { return indices.count(list) ? indices.at(list) : -1; }
  void setListIndex(List list, int index) override { indices[list] = index; }
  std::string listEntry(List list, int index) const override {
    return index >= 0 && index < listCount(list) ? lists.at(list)[static_cast<std::size_t>(index)]
                                                 : "";
  }
  int listCount(List list) const override {
    return lists.count(list) ? static_cast<int>(lists.at(list).size()) : 0;
  }
  std::string pathText() const override { return path; }
  void setPathText(const std::string& text) override { path = text; }
  void setPathEnabled(bool enabled) override { pathOn = enabled; }
  void setPathButtonEnabled(bool enabled) override { pathButtonOn = enabled; }
  bool pathEnabled() const override { return pathOn; }
  bool pathButtonEnabled() const override { return pathButtonOn; }
  void showModal() override {
    ++modalShows;
    if (whileModal) whileModal();
  }
  void close() override { ++closes; }
  void setEvents(Events handlers) override { events = std::move(handlers); }

  std::string title_ = "Options";
  int left = 0, top = 0;
  std::map<Check, int> checks;
  std::map<Check, bool> checkVisible;
  std::map<List, std::vector<std::string>> lists;
  std::map<List, int> indices;
  std::string path;
  bool pathOn = true, pathButtonOn = true;
  int modalShows = 0, closes = 0;
  Events events;
  std::function<void()> whileModal;  // the user's actions while the dialog is up
};

class FakeMessageView : public platform::MessageView {
 public:
  explicit FakeMessageView(FakePlatform& platform) : timer(platform, "msgTextTimer") {}
  // Ten pixels a character, one line high.
  void setText(const std::string& value) override { text = value; }
  int textWidth() const override { return static_cast<int>(text.size()) * 10 * 15; }
  int textHeight() const override { return 345; }
  void placeText(int x, int y) override { std::tie(textLeft, textTop) = std::tie(x, y); }
  void setGeometry(int x, int y, int w, int h) override {
    std::tie(left, top, width, height) = std::tie(x, y, w, h);
  }
  void show() override { shown = true; }
  void hide() override { shown = false; }
  void bringToFront() override { ++frontCalls; }
  bool isShown() const override { return shown; }
  platform::Timer& msgTextTimer() override { return timer; }

  std::string text;
  int textLeft = 0, textTop = 0, left = 0, top = 0, width = 0, height = 0;
  bool shown = false;
  int frontCalls = 0;
  FakeTimer timer;
};

class FakePlatform : public platform::Platform {
  // First, so the timers of members below can register while they are built.
  std::vector<FakeTimer*> timers_;

 public:
  FakePlatform();
  ~FakePlatform() override;

  platform::Clock& clock() override { return clock_; }
  platform::RandomSource& random() override { return random_; }
  platform::SettingsStore& settingsStore() override { return store; }
  platform::Shell& shell() override { return shell_; }
  platform::ImageTransfer& transfer() override { return transfer_; }
  platform::UserDialogs& dialogs() override { return dialogs_; }
  platform::Screen& screen() override { return screen_; }
  platform::MouseHooks& mouseHooks() override { return hooks; }
  platform::FileStore& fileStore() override { return files; }
  FakeMainWindow& mainWindow() override;
  platform::OptionsView& optionsView() override { return options; }
  platform::MessageView& messageView() override { return message; }
  void doEvents() override { ++doEventsCalls; }
  bool anotherInstanceRunning() override { return otherInstance; }
  std::string programFolder() override { return folder.string(); }
  std::string picturesFolder() override { return (folder / "Pictures").string(); }
  std::string executableName() override { return "quorel"; }
  void endProgram(int status) override { endStatus = status; }

  // Advances virtual time; due timers fire in deadline order (ties in creation order).
  void advance(std::chrono::milliseconds duration);
  void advanceSeconds(int seconds) { advance(std::chrono::seconds(seconds)); }
  // Contents of a log file in the program folder ("" when missing).
  std::string readLog(const std::string& fileName) const;
  // Its lines without timestamps and line ends.
  std::vector<std::string> logLines(const std::string& fileName) const;

  void registerTimer(FakeTimer* timer) { timers_.push_back(timer); }
  void unregisterTimer(FakeTimer* timer);
  bool mainWindowCreated() const { return window_ != nullptr; }

  FakeClock clock_;
  FakeRandom random_;
  FakeSettingsStore store;
  FakeShell shell_;
  FakeTransfer transfer_;
  FakeDialogs dialogs_;
  FakeScreen screen_;
  FakeMouseHooks hooks;
  FakeFileStore files;
  FakeOptionsView options;
  FakeMessageView message{*this};
  bool otherInstance = false;
  std::optional<int> endStatus;
  int doEventsCalls = 0;
  std::filesystem::path folder;

 private:
  std::unique_ptr<FakeMainWindow> window_;
};

}  // namespace fake
