#include "dialogs/message_window.h"

#include "core/monitors.h"
#include "core/program.h"
#include "core/vb_text.h"

MessageWindow::MessageWindow(Program& program) : program_(program) {}

void MessageWindow::Load() {
  if (loaded_) return;
  loaded_ = true;
  Form_Load();
}

void MessageWindow::ShowMessage(const std::string& text) {
  Load();
  auto& view = program_.platform.messageView();
  view.setText(text);
  PlaceMessage();
  view.show();
}

void MessageWindow::PlaceMessage() {
  auto& view = program_.platform.messageView();
  const platform::Monitor screen = PrimaryMonitor(program_.platform.screen());
  view.placeText(60, 60);
  const int width = view.textWidth() + 360;
  const int height = view.textHeight() + 600;
  view.setGeometry(screen.left + vb::CLng(screen.width / 2.0 - width / 2.0),
                   screen.top + vb::CLng(screen.height / 2.0 - height / 2.0), width, height);
}

void MessageWindow::Form_Load() {
  auto& view = program_.platform.messageView();
  auto& timer = view.msgTextTimer();
  timer.setOnTimer([this] { msgTextTimer_Timer(); });
  // Counted from the load, not from a show: later notices do not extend it.
  timer.setInterval(5000);
  timer.setEnabled(true);
  view.bringToFront();
}

void MessageWindow::msgTextTimer_Timer() {
  program_.platform.messageView().hide();
  Form_Unload();
}

void MessageWindow::Form_Unload() {
  program_.platform.messageView().msgTextTimer().setEnabled(false);
  loaded_ = false;
}

void ShowMessage(Program& program, const std::string& text) { program.message->ShowMessage(text); }
