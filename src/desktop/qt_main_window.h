// QtMainWindow: imageForm as a frameless black window covering the screen (or the screen
// saver's window it is put into), with the work browser, the ten display slots, the logo,
// the clock label, the address box and the three timers.
//
// [X] caption, background colour, full screen with or without a window manager
// [X] full screen over every monitor; monitors that come, go or change are followed
// [X] unload once, by close() or by the window manager's close; resize; bare-surface presses
// [X] logo press, release and click
// [X] a foreign host window (screen-saver mode): the window becomes its child, sized to it
// [X] Escape closes it, unless a screen saver started it
#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

#include "desktop/qt_browser.h"
#include "desktop/qt_label.h"
#include "desktop/qt_picture_box.h"
#include "desktop/qt_text_box.h"
#include "desktop/qt_timer.h"
#include "desktop/twips_control.h"
#include "platform/main_window.h"

class QWindow;

namespace desktop {

class QtScreen;

// The window's own surface: closes, resizes and presses that reach no control.
class FormWidget : public QWidget {
  Q_OBJECT
 public:
  FormWidget();
  std::function<void()> onClose;
  std::function<void()> onResize;
  std::function<void(int button)> onMouseDown;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

// Holds the window's widget so it exists before the control adapting it and goes after it.
struct FormHolder {
  std::unique_ptr<FormWidget> form_ = std::make_unique<FormWidget>();
};

class QtMainWindow : private FormHolder, public TwipsControl, public platform::MainWindow {
 public:
  // host: the foreign window to draw into, or null for a window of our own.
  QtMainWindow(web::Engine& engine, const QtScreen& screen, QWindow* host = nullptr);
  ~QtMainWindow() override;

  std::string caption() const override;
  void setCaption(const std::string& caption) override;
  void setBackColor(std::uint32_t rgb) override;
  void setMaximized() override;
  void show() override;
  void close() override;

  platform::Browser& workBrowser() override { return *work_; }
  platform::Browser& browser(int slot) override;
  platform::PictureBox& picbox(int slot) override;
  platform::PictureBox& picLogo() override { return *logo_; }
  platform::Label& timeLab() override { return *timeLab_; }
  platform::TextBox& urlBox() override { return *urlBox_; }
  platform::Timer& nextTimer() override { return nextTimer_; }
  platform::Timer& timeTimer() override { return timeTimer_; }
  platform::Timer& recoveryTimer() override { return recoveryTimer_; }
  void setEvents(Events events) override { events_ = std::move(events); }

  FormWidget& form() { return *form_; }
  QtBrowser& qtBrowser(int slot) { return *browsers_.at(static_cast<std::size_t>(slot)); }
  QtBrowser& qtWorkBrowser() { return *work_; }
  PictureWidget& logoWidget() { return logo_->pictureWidget(); }
  bool unloaded() const { return unloaded_; }
  // Off when a screen saver started the program.
  void setEscapeCloses(bool on) { escapeCloses_ = on; }

 protected:
  void applyGeometry(const QRect& pixels) override;

 private:
  void unload();
  void coverScreen();
  void watchMonitors();

  const QtScreen& screen_;
  QWindow* host_;
  std::unique_ptr<QtBrowser> work_;
  std::array<std::unique_ptr<QtPictureBox>, kSlots> picboxes_;
  std::array<std::unique_ptr<QtBrowser>, kSlots> browsers_;
  std::unique_ptr<QtPictureBox> logo_;
  std::unique_ptr<QtLabel> timeLab_;
  std::unique_ptr<QtTextBox> urlBox_;
  QtTimer nextTimer_, timeTimer_, recoveryTimer_;
  QTimer monitorsSettled_;
  Events events_;
  bool escapeCloses_ = true;
  bool maximized_ = false;
  bool unloaded_ = false;
};

}  // namespace desktop
