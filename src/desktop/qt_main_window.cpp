#include "desktop/qt_main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include "desktop/fullscreen_monitors.h"
#include "desktop/guarded_call.h"
#include "desktop/mouse_buttons.h"
#include "desktop/qt_screen.h"
#include "interaction/layout.h"

namespace desktop {

FormWidget::FormWidget() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
  setAutoFillBackground(true);
}

void FormWidget::closeEvent(QCloseEvent* event) {
  event->accept();
  guardedCall("Form_Unload", onClose);
}

void FormWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  guardedCall("Form_Resize", onResize);
}

void FormWidget::mousePressEvent(QMouseEvent* event) {
  event->accept();
  guardedCall("Form_MouseDown", onMouseDown, buttonNumber(event->button()));
}

QtMainWindow::QtMainWindow(web::Engine& engine, const QtScreen& screen, QWindow* host)
    : TwipsControl(*form_, screen), screen_(screen), host_(host) {
  FormWidget& form = *form_;
  setBackColor(0xC0C0C0);  // the design colour; the load paints it black
  if (host_) {
    form.setAttribute(Qt::WA_NativeWindow);
    form.winId();
    form.windowHandle()->setParent(host_);
  }

  // Design-time controls and sizes, in creation order (later ones in front).
  work_ = QtBrowser::create(engine, form, screen, QtBrowser::View::Unseen);
  work_->move(0, 0, kWorkBrowserWidth, kWorkBrowserHeight);
  for (int k = 0; k < kSlots; ++k) {
    const auto slot = static_cast<std::size_t>(k);
    browsers_[slot] = QtBrowser::create(engine, form, screen);
    browsers_[slot]->move(0, 0, 3000, 3000);
    picboxes_[slot] = std::make_unique<QtPictureBox>(*new PictureWidget(&form), screen);
    picboxes_[slot]->move(0, 0, 3000, 3000);
  }
  logo_ = std::make_unique<QtPictureBox>(*new PictureWidget(&form), screen);
  logo_->move(0, 0, 1320, 1170);
  timeLab_ = std::make_unique<QtLabel>(*new LabelWidget(&form), screen);
  timeLab_->setCaption("This is the time label");
  urlBox_ = std::make_unique<QtTextBox>(*new QLineEdit(&form), screen);
  urlBox_->move(0, 0, 4000, 285);
  urlBox_->setText("urlBox");
  TwipsControl::move(0, 0, 9600, 7200);

  form.onClose = [this] { unload(); };
  form.onResize = [this] { guardedCall("Form_Resize", events_.resize); };
  form.onMouseDown = [this](int button) {
    guardedCall("Form_MouseDown", events_.mouseDown, button);
  };
  PictureWidget& logo = logo_->pictureWidget();
  logo.onMouseDown = [this](int button) {
    guardedCall("picLogo_MouseDown", events_.logoMouseDown, button);
  };
  logo.onMouseUp = [this](int button) {
    guardedCall("picLogo_MouseUp", events_.logoMouseUp, button);
  };
  logo.onClick = [this] { guardedCall("picLogo_Click", events_.logoClick); };

  // Escape ends the program, unless a screen saver started it (the saver ends its hacks).
  new QShortcut(QKeySequence(Qt::Key_Escape), &form, [this] {
    if (escapeCloses_) close();
  });
  // A host window is the screen saver's to size; a window of our own follows the monitors.
  if (!host_) watchMonitors();
}

QtMainWindow::~QtMainWindow() {
  // Stop every timer and event before the controls go.
  events_ = {};
  nextTimer_.setEnabled(false);
  timeTimer_.setEnabled(false);
  recoveryTimer_.setEnabled(false);
  form_->onClose = nullptr;
  form_->onResize = nullptr;
  form_->onMouseDown = nullptr;
  monitorsSettled_.stop();
  QObject::disconnect(qGuiApp, nullptr, form_.get(), nullptr);
  for (QScreen* screen : QGuiApplication::screens())
    QObject::disconnect(screen, nullptr, form_.get(), nullptr);
}

platform::Browser& QtMainWindow::browser(int slot) {
  return *browsers_.at(static_cast<std::size_t>(slot));
}

platform::PictureBox& QtMainWindow::picbox(int slot) {
  return *picboxes_.at(static_cast<std::size_t>(slot));
}

std::string QtMainWindow::caption() const { return form_->windowTitle().toStdString(); }

void QtMainWindow::setCaption(const std::string& caption) {
  form_->setWindowTitle(QString::fromStdString(caption));
}

void QtMainWindow::setBackColor(std::uint32_t rgb) {
  QPalette colours = form_->palette();
  colours.setColor(QPalette::Window, QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  form_->setPalette(colours);
}

void QtMainWindow::applyGeometry(const QRect& pixels) { form_->setGeometry(pixels); }

void QtMainWindow::setMaximized() {
  maximized_ = true;
  if (form_->isVisible()) coverScreen();
}

void QtMainWindow::coverScreen() {
  const QSize size = screen_.pixelSize();
  if (host_) {
    form_->setGeometry(0, 0, size.width(), size.height());
    return;
  }
  // A window manager honours the full-screen state, which keeps docks and panels below; it
  // holds a window to one monitor until it is asked to stretch it over all of them. Without
  // a window manager only the geometry counts.
  form_->setWindowState(form_->windowState() | Qt::WindowFullScreen);
  form_->setGeometry(QRect(screen_.origin(), size));
  if (QtScreen::spansMonitors()) requestFullScreenOverMonitors(*form_);
}

void QtMainWindow::show() {
  TwipsControl::setVisible(true);
  if (maximized_) coverScreen();
  form_->show();
  if (maximized_ && !host_) {
    coverScreen();
    // Asked again once the window manager has surely taken the window on.
    QTimer::singleShot(500, form_.get(), [this] {
      if (!unloaded_ && QtScreen::spansMonitors()) requestFullScreenOverMonitors(*form_);
    });
  }
  form_->raise();  // over whatever else the host window holds
  if (!host_) form_->activateWindow();
}

void QtMainWindow::watchMonitors() {
  // Several signals come for one change (a monitor switched off resizes the desktop too):
  // they are answered once, when they have settled.
  monitorsSettled_.setSingleShot(true);
  monitorsSettled_.setInterval(200);
  QObject::connect(&monitorsSettled_, &QTimer::timeout, form_.get(), [this] {
    if (unloaded_ || !maximized_) return;
    coverScreen();
    guardedCall("Form_MonitorsChanged", events_.monitorsChanged);
  });
  auto changed = [this] { monitorsSettled_.start(); };
  auto watch = [this, changed](QScreen* screen) {
    QObject::connect(screen, &QScreen::geometryChanged, form_.get(), changed);
  };
  for (QScreen* screen : QGuiApplication::screens()) watch(screen);
  auto* app = qGuiApp;
  QObject::connect(app, &QGuiApplication::screenAdded, form_.get(), [watch, changed](QScreen* s) {
    watch(s);
    changed();
  });
  QObject::connect(app, &QGuiApplication::screenRemoved, form_.get(), changed);
  QObject::connect(app, &QGuiApplication::primaryScreenChanged, form_.get(), changed);
}

void QtMainWindow::close() {
  unload();
  form_->hide();
}

void QtMainWindow::unload() {
  if (unloaded_) return;
  unloaded_ = true;
  guardedCall("Form_Unload", events_.unload);
}

}  // namespace desktop
