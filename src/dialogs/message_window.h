// The message window: one short notice, centred, closing itself 5 seconds after it loaded.
#pragma once

#include <string>

struct Program;

class MessageWindow {
 public:
  explicit MessageWindow(Program& program);

  // Loads the window hidden unless it is loaded already (its closing timer starts).
  void Load();
  bool IsLoaded() const { return loaded_; }
  void ShowMessage(const std::string& text);

 private:
  void PlaceMessage();
  void Form_Load();
  void Form_Unload();
  void msgTextTimer_Timer();

  Program& program_;
  bool loaded_ = false;
};

// The entry point other procedures use.
void ShowMessage(Program& program, const std::string& text);
