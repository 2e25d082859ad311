// A collage started by quorel-idle: no input reaches its windows, other events still do.
#include "desktop/inert_input.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

namespace {

struct Counting : QWidget {
  int events = 0;
  bool event(QEvent* event) override {
    if (event->type() != QEvent::Polish && event->type() != QEvent::PolishRequest) ++events;
    return QWidget::event(event);
  }
};

TEST(InertInput, InputIsSwallowedOtherEventsAreNot) {
  struct Row {
    const char* name;
    QEvent* event;
    bool reaches;
  };
  const QPointF at(20, 20);
  const Row rows[] = {
      {.name = "a left click",
       .event = new QMouseEvent(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                                Qt::NoModifier),
       .reaches = false},
      {.name = "a pointer motion",
       .event =
           new QMouseEvent(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier),
       .reaches = false},
      {.name = "Escape",
       .event = new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier),
       .reaches = false},
      {.name = "a wheel turn",
       .event = new QWheelEvent(at, at, {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                                Qt::NoScrollPhase, false),
       .reaches = false},
      {.name = "a repaint request", .event = new QEvent(QEvent::UpdateRequest), .reaches = true},
  };
  desktop::InertInput inert;
  qApp->installEventFilter(&inert);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Counting window;
    QCoreApplication::sendEvent(&window, row.event);
    EXPECT_EQ(window.events > 0, row.reaches);
    delete row.event;
  }
  qApp->removeEventFilter(&inert);
}

}  // namespace
