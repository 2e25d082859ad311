// The options dialog: sizes, auto-save folder and flags, read from the store when it loads
// and written back on OK.
#pragma once

#include <string>

struct Program;

class OptionsDialog {
 public:
  explicit OptionsDialog(Program& program);

  // The entries of both size lists, in order.
  static constexpr const char* kImageSizes[] = {"48x48",    "100x100",   "150x150",  "200x200",
                                                "320x240",  "640x480",   "800x600",  "1024x768",
                                                "1152x864", "1280x1024", "Unlimited"};
  // What the dialog shows for a key the store lacks.
  static constexpr const char* kDefaultMinImageSize = "100x100";
  static constexpr const char* kDefaultMaxImageSize = "800x600";

  // Loads the dialog hidden (its load handler runs) unless it is loaded already.
  void Load();
  bool IsLoaded() const { return loaded_; }
  // Positions the dialog: near the main window's corner when its title is "config", else
  // centred on the screen; then titles it "Options".
  void PlaceOptions();
  // Shows the dialog modally; returns when it has been closed. A dialog that closed (by
  // its buttons or its window frame) is unloaded, so the next opening reads the store anew.
  void ShowModal();
  void SetTitle(const char* title);

  void okBut_Click();
  void cancelBut_Click();
  void chkAutoSaveMode_Click();
  void pathBut_Click();

 private:
  void Form_Load();
  void Unload();

  Program& program_;
  bool loaded_ = false;
};
