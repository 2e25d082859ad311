// The options dialog's Qt widgets.
//
// [ ] the real dialog (a later change builds it); this keeps values only
#pragma once

#include <map>
#include <vector>

#include "platform/options_view.h"

namespace desktop {

class QtOptionsView : public platform::OptionsView {
 public:
  std::string title() const override { return title_; }
  void setTitle(const std::string& title) override { title_ = title; }
  int width() const override { return 5295; }
  int height() const override { return 4110; }
  void setPosition(int, int) override {}
  int checkValue(platform::OptionsCheck box) const override { return checks_.count(box) ? checks_.at(box) : 0; }
  void setCheckValue(platform::OptionsCheck box, int value) override { checks_[box] = value; }
  void setCheckVisible(platform::OptionsCheck, bool) override {}
  void clearList(platform::OptionsList list) override { lists_[list].clear(); }
  void addListEntry(platform::OptionsList list, const std::string& text) override { lists_[list].push_back(text); }
  int listIndex(platform::OptionsList list) const override { return indices_.count(list) ? indices_.at(list) : -1; }
  void setListIndex(platform::OptionsList list, int index) override { indices_[list] = index; }
  std::string listEntry(platform::OptionsList list, int index) const override {
    return lists_.count(list) && index >= 0 && index < static_cast<int>(lists_.at(list).size()) ? lists_.at(list)[index] : std::string();
  }
  int listCount(platform::OptionsList list) const override { return lists_.count(list) ? static_cast<int>(lists_.at(list).size()) : 0; }
  std::string pathText() const override { return path_; }
  void setPathText(const std::string& text) override { path_ = text; }
  void setPathEnabled(bool) override {}
  void setPathButtonEnabled(bool) override {}
  bool pathEnabled() const override { return false; }
  bool pathButtonEnabled() const override { return false; }
  void showModal() override {}
  void close() override {}
  void setEvents(Events events) override { events_ = std::move(events); }

 private:
  std::string title_ = "Options";
  std::map<platform::OptionsCheck, int> checks_;
  std::map<platform::OptionsList, std::vector<std::string>> lists_;
  std::map<platform::OptionsList, int> indices_;
  std::string path_;
  Events events_;
};

}  // namespace desktop
