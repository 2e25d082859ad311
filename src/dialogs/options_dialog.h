// The options dialog: sizes, auto-save folder and flags, read from the store when it loads
// and written back on OK.
#pragma once

struct Program;

class OptionsDialog {
 public:
  explicit OptionsDialog(Program& program);

  // Loads the dialog hidden (its load handler runs) unless it is loaded already.
  void Load();
  // Positions the dialog: near the main window's corner when its title is "config", else
  // centred on the screen; then titles it "Options".
  void PlaceOptions();
  // Shows the dialog modally; returns when it has been closed.
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
