#include "dialogs/message_window.h"

#include "app/program.h"

// Not built yet: a later change fills in the window.

MessageWindow::MessageWindow(Program& program) : program_(program) {}
void MessageWindow::Load() { loaded_ = true; }
void MessageWindow::ShowMessage(const std::string&) {}
void MessageWindow::PlaceMessage() {}
void MessageWindow::Form_Load() {}
void MessageWindow::Form_Unload() { loaded_ = false; }
void MessageWindow::msgTextTimer_Timer() {}

void ShowMessage(Program& program, const std::string& text) { program.message->ShowMessage(text); }
