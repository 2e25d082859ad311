// The widgets of the options dialog; the dialog's logic lives in dialogs/.
#pragma once

#include <functional>
#include <string>

namespace platform {

enum class OptionsCheck { AutoSaveMode, Sounds, Docs, Movies, AdultMode, DebugMode };
enum class OptionsList { MinImageSize, MaxImageSize };

class OptionsView {
 public:
  virtual ~OptionsView() = default;

  virtual std::string title() const = 0;
  virtual void setTitle(const std::string& title) = 0;
  // Outer geometry in twips.
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual void setPosition(int left, int top) = 0;

  virtual int checkValue(OptionsCheck box) const = 0;  // 0 or 1
  virtual void setCheckValue(OptionsCheck box, int value) = 0;
  virtual void setCheckVisible(OptionsCheck box, bool visible) = 0;

  virtual void clearList(OptionsList list) = 0;  // empties entries and text
  virtual void addListEntry(OptionsList list, const std::string& text) = 0;
  virtual int listIndex(OptionsList list) const = 0;  // -1: nothing chosen
  virtual void setListIndex(OptionsList list, int index) = 0;
  virtual std::string listEntry(OptionsList list, int index) const = 0;
  virtual int listCount(OptionsList list) const = 0;

  virtual std::string pathText() const = 0;
  virtual void setPathText(const std::string& text) = 0;  // caret at the end
  virtual void setPathEnabled(bool enabled) = 0;
  virtual void setPathButtonEnabled(bool enabled) = 0;
  virtual bool pathEnabled() const = 0;
  virtual bool pathButtonEnabled() const = 0;

  // Shows the dialog modally; returns when it has been closed.
  virtual void showModal() = 0;
  // Closes (hides) the dialog.
  virtual void close() = 0;

  struct Events {
    std::function<void()> okClick;
    std::function<void()> cancelClick;
    std::function<void()> autoSaveClick;
    std::function<void()> pathClick;
  };
  virtual void setEvents(Events events) = 0;
};

}  // namespace platform
