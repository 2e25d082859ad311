#include "dialogs/options_dialog.h"

#include "core/monitors.h"
#include "core/program.h"
#include "core/settings.h"
#include "core/vb_text.h"

namespace {

using platform::OptionsCheck;
using platform::OptionsList;

// A check box and the option it stands for, in the order OK writes them.
struct FlagBox {
  OptionsCheck box;
  const char* key;
  bool Settings::*flag;
};
constexpr FlagBox kModeBoxes[] = {
    {OptionsCheck::AdultMode, "AdultMode", &Settings::AdultMode},
    {OptionsCheck::DebugMode, "DebugMode", &Settings::DebugMode},
    {OptionsCheck::AutoSaveMode, "AutosaveMode", &Settings::AutosaveMode},
};
constexpr FlagBox kAllowBoxes[] = {
    {OptionsCheck::Movies, "AllowMovies", &Settings::AllowMovies},
    {OptionsCheck::Sounds, "AllowSounds", &Settings::AllowSounds},
    {OptionsCheck::Docs, "AllowDocs", &Settings::AllowDocs},
};

}  // namespace

OptionsDialog::OptionsDialog(Program& program) : program_(program) {}

void OptionsDialog::Load() {
  if (loaded_) return;
  loaded_ = true;
  auto& view = program_.platform.optionsView();
  view.setTitle("Options");  // a fresh load carries the design title
  view.setEvents({
      .okClick = [this] { okBut_Click(); },
      .cancelClick = [this] { cancelBut_Click(); },
      .autoSaveClick = [this] { chkAutoSaveMode_Click(); },
      .pathClick = [this] { pathBut_Click(); },
  });
  Form_Load();
}

void OptionsDialog::Form_Load() {
  auto& view = program_.platform.optionsView();
  const auto& store = program_.platform.settingsStore();

  const auto fillSizes = [&](OptionsList list, const char* key, const char* defaultText) {
    const std::string stored = store.read(key, defaultText);
    view.clearList(list);
    int chosen = -1;
    for (int i = 0; i < static_cast<int>(std::size(kImageSizes)); ++i) {
      view.addListEntry(list, kImageSizes[i]);
      if (chosen < 0 && stored == kImageSizes[i]) chosen = i;  // exact, case and all
    }
    view.setListIndex(list, chosen);
  };
  const auto check = [&](OptionsCheck box, const char* key) {
    view.setCheckValue(box, ReadFlag(store.read(key, "0")) ? 1 : 0);
  };

  fillSizes(OptionsList::MinImageSize, "MinImageSize", kDefaultMinImageSize);
  fillSizes(OptionsList::MaxImageSize, "MaxImageSize", kDefaultMaxImageSize);
  check(OptionsCheck::AdultMode, "AdultMode");
  // Only the store switches debug mode; OK writes the loaded value back unchanged.
  check(OptionsCheck::DebugMode, "DebugMode");
  view.setCheckVisible(OptionsCheck::DebugMode, false);
  check(OptionsCheck::AutoSaveMode, "AutosaveMode");
  view.setPathText(store.read("AutosavePath", program_.platform.picturesFolder()));
  chkAutoSaveMode_Click();
  view.setPathButtonEnabled(view.checkValue(OptionsCheck::AutoSaveMode) == 1);
  check(OptionsCheck::Movies, "AllowMovies");
  check(OptionsCheck::Sounds, "AllowSounds");
  check(OptionsCheck::Docs, "AllowDocs");
}

void OptionsDialog::PlaceOptions() {
  Load();  // reading the title loads the dialog
  auto& view = program_.platform.optionsView();
  int left = 0;
  int top = 0;
  if (vb::LCase(view.title()) == "config") {
    // The bottom-left corner of the window's part of the primary monitor.
    const auto& form = program_.form();
    const platform::Monitor strip = StripArea(program_.platform.screen(), form);
    left = form.left() + strip.left + 600;
    top = form.top() + strip.top + strip.height - view.height() - 600;
  } else {
    const platform::Monitor screen = PrimaryMonitor(program_.platform.screen());
    left = screen.left + vb::CLng(screen.width / 2.0 - view.width() / 2.0);
    top = screen.top + vb::CLng(screen.height / 2.0 - view.height() / 2.0);
  }
  view.setPosition(left, top);
  view.setTitle("Options");
}

void OptionsDialog::ShowModal() {
  Load();
  program_.platform.optionsView().showModal();
  loaded_ = false;  // however it closed, the next opening loads afresh
}

void OptionsDialog::SetTitle(const char* title) {
  Load();
  program_.platform.optionsView().setTitle(title);
}

void OptionsDialog::okBut_Click() {
  auto& view = program_.platform.optionsView();
  auto& store = program_.platform.settingsStore();
  Settings& settings = program_.settings;

  // A list with nothing chosen keeps what the store holds.
  const auto saveSize = [&](OptionsList list, const char* key,
                            bool (*parse)(Settings&, const std::string&)) {
    const int index = view.listIndex(list);
    if (index < 0) return;
    const std::string text = view.listEntry(list, index);
    store.write(key, text);
    parse(settings, text);
  };
  const auto saveFlags = [&](const auto& boxes) {
    for (const FlagBox& entry : boxes) {
      const bool on = view.checkValue(entry.box) == 1;
      settings.*entry.flag = on;
      store.write(entry.key, on ? "1" : "0");
    }
  };

  saveSize(OptionsList::MinImageSize, "MinImageSize", ParseMinImageSize);
  saveSize(OptionsList::MaxImageSize, "MaxImageSize", ParseMaxImageSize);
  saveFlags(kModeBoxes);
  settings.AutosavePath = view.pathText();
  store.write("AutosavePath", settings.AutosavePath);
  saveFlags(kAllowBoxes);
  Unload();
}

void OptionsDialog::cancelBut_Click() { Unload(); }

void OptionsDialog::chkAutoSaveMode_Click() {
  auto& view = program_.platform.optionsView();
  const bool on = view.checkValue(OptionsCheck::AutoSaveMode) == 1;
  view.setPathEnabled(on);
  view.setPathButtonEnabled(on);
}

void OptionsDialog::pathBut_Click() {
  auto& view = program_.platform.optionsView();
  // A cancelled chooser keeps the folder the box had.
  if (const auto folder = program_.platform.dialogs().chooseFolder(view.pathText()))
    view.setPathText(*folder);
}

void OptionsDialog::Unload() {
  loaded_ = false;
  program_.platform.optionsView().close();
}
