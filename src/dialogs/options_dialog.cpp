#include "dialogs/options_dialog.h"

#include "app/program.h"

// Not built yet: a later change fills in the dialog.

OptionsDialog::OptionsDialog(Program& program) : program_(program) {}
void OptionsDialog::Load() { loaded_ = true; }
void OptionsDialog::PlaceOptions() {}
void OptionsDialog::ShowModal() {}
void OptionsDialog::SetTitle(const char*) {}
void OptionsDialog::okBut_Click() {}
void OptionsDialog::cancelBut_Click() {}
void OptionsDialog::chkAutoSaveMode_Click() {}
void OptionsDialog::pathBut_Click() {}
void OptionsDialog::Form_Load() {}
void OptionsDialog::Unload() { loaded_ = false; }
