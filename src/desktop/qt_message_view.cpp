#include "desktop/qt_message_view.h"

#include <QLabel>
#include <QWidget>
#include <algorithm>

namespace desktop {

namespace {

constexpr int kTwipsPerPixel = 15;

}  // namespace

QtMessageView::QtMessageView(std::unique_ptr<platform::Timer> timer)
    : window_(std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)),
      timer_(std::move(timer)) {
  window_->setObjectName(QStringLiteral("message"));
  window_->setWindowTitle(QStringLiteral("Message"));
  // A notice, not a conversation: it must not take the keyboard from whatever has it.
  window_->setAttribute(Qt::WA_ShowWithoutActivating);
  window_->resize(8325 / kTwipsPerPixel, 1365 / kTwipsPerPixel);

  label_ = new QLabel(QStringLiteral("This is the display used when a message is received."),
                      window_.get());
  label_->setObjectName(QStringLiteral("msgText"));
  QFont font(QStringLiteral("Tahoma"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(14.25);
  font.setBold(true);
  label_->setFont(font);
  label_->adjustSize();
}

QtMessageView::~QtMessageView() = default;

void QtMessageView::setText(const std::string& text) {
  label_->setText(QString::fromStdString(text));
  label_->adjustSize();
}

int QtMessageView::textWidth() const { return label_->width() * kTwipsPerPixel; }

int QtMessageView::textHeight() const { return label_->height() * kTwipsPerPixel; }

void QtMessageView::placeText(int left, int top) {
  label_->move(left / kTwipsPerPixel, top / kTwipsPerPixel);
}

void QtMessageView::setGeometry(int left, int top, int width, int height) {
  // The outer size: what the frame takes is known only once the window system framed us.
  const QSize frame = window_->frameGeometry().size() - window_->size();
  window_->resize(std::max(1, width / kTwipsPerPixel - frame.width()),
                  std::max(1, height / kTwipsPerPixel - frame.height()));
  window_->move(left / kTwipsPerPixel, top / kTwipsPerPixel);
}

void QtMessageView::show() {
  window_->show();
  window_->raise();
}

void QtMessageView::hide() { window_->hide(); }

void QtMessageView::bringToFront() { window_->raise(); }

bool QtMessageView::isShown() const { return window_->isVisible(); }

}  // namespace desktop
