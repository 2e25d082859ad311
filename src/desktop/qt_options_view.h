// QtOptionsView: the options dialog's widgets as a QDialog laid out like its design, in
// twips at 15 per pixel; the dialog's logic (dialogs/options_dialog) drives it.
//
// [X] the two frames, six check boxes, two size lists, the path box and its "..." button,
//     the OK and Cancel buttons, with their captions, access keys and positions
// [X] Tahoma 8.25 point where the design asks for it (the nearest font when it is missing)
// [X] no default or cancel button; clicks reach the logic only when the user makes them
// [X] modal showing; closing by the window frame or Escape writes nothing
#pragma once

#include <map>
#include <memory>

#include "platform/options_view.h"

class QCheckBox;
class QComboBox;
class QDialog;
class QLineEdit;
class QPushButton;

namespace desktop {

class QtOptionsView : public platform::OptionsView {
 public:
  QtOptionsView();
  ~QtOptionsView() override;

  std::string title() const override;
  void setTitle(const std::string& title) override;
  int width() const override;
  int height() const override;
  void setPosition(int left, int top) override;

  int checkValue(platform::OptionsCheck box) const override;
  void setCheckValue(platform::OptionsCheck box, int value) override;
  void setCheckVisible(platform::OptionsCheck box, bool visible) override;

  void clearList(platform::OptionsList list) override;
  void addListEntry(platform::OptionsList list, const std::string& text) override;
  int listIndex(platform::OptionsList list) const override;
  void setListIndex(platform::OptionsList list, int index) override;
  std::string listEntry(platform::OptionsList list, int index) const override;
  int listCount(platform::OptionsList list) const override;

  std::string pathText() const override;
  void setPathText(const std::string& text) override;
  void setPathEnabled(bool enabled) override;
  void setPathButtonEnabled(bool enabled) override;
  bool pathEnabled() const override;
  bool pathButtonEnabled() const override;

  void showModal() override;
  void close() override;
  void setEvents(Events events) override { events_ = std::move(events); }

  // The dialog itself; its controls carry their design names as object names.
  QDialog& dialog() const { return *dialog_; }

 private:
  QCheckBox* check(platform::OptionsCheck box) const { return checks_.at(box); }
  QComboBox* list(platform::OptionsList list) const { return lists_.at(list); }

  std::unique_ptr<QDialog> dialog_;
  std::map<platform::OptionsCheck, QCheckBox*> checks_;
  std::map<platform::OptionsList, QComboBox*> lists_;
  std::map<platform::OptionsList, int> listLimits_;  // pixels: how far a list may grow
  QLineEdit* pathBox_ = nullptr;
  QPushButton* pathButton_ = nullptr;
  Events events_;
};

}  // namespace desktop
