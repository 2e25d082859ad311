// Shared pieces of the engine tests: the application object, an event recorder, an engine
// that may reach the fixture server.
#pragma once

#include <QApplication>
#include <QTest>
#include <memory>
#include <vector>

#include "http_fixture.h"
#include "web/web_browser.h"

namespace webtest {

inline QApplication& testApp() {
  static int argc = 1;
  static char name[] = "test_web";
  static char* argv[] = {name, nullptr};
  static auto* app = new QApplication(argc, argv);  // lives until exit
  return *app;
}

// Declared before any server or engine member, so the application exists first.
struct AppGuard {
  AppGuard() { testApp(); }
};

struct Event {
  QString type;  // "DocumentComplete" or "NavigateError"
  QString url;
  QString frame;
  qint32 status = 0;
};

class Recorder : public QObject {
 public:
  explicit Recorder(web::WebBrowser& browser, bool cancelErrors = true) {
    connect(&browser, &web::WebBrowser::documentComplete, this, [this](const QString& url) {
      events.push_back({"DocumentComplete", url, {}, 0});
    });
    connect(&browser, &web::WebBrowser::navigateError, this,
            [this, cancelErrors](const QString& url, const QString& frame, qint32 status,
                                 bool* cancel) {
              events.push_back({"NavigateError", url, frame, status});
              *cancel = cancelErrors;
            });
    connect(&browser, &web::WebBrowser::loadFinished, this, [this](bool ok) {
      finished = true;
      succeeded = ok;
    });
  }
  bool wait(int ms = 15000) {
    return QTest::qWaitFor([this] { return finished; }, ms);
  }
  int count(const QString& type) const {
    int n = 0;
    for (const Event& event : events) n += event.type == type;
    return n;
  }

  std::vector<Event> events;
  bool finished = false;
  bool succeeded = false;
};

// The fixture is on loopback: every request may reach it. The address policy's tests make
// engines of their own.
inline web::EngineOptions optionsFor(const HttpFixture&) {
  web::EngineOptions options;
  options.allowAllPrivateHosts = true;
  return options;
}

// Fake DNS: the names' answers, none for any other name.
inline std::function<QList<QHostAddress>(const QString&)> fakeDns(
    QHash<QString, QList<QHostAddress>> answers) {
  return [answers](const QString& host) { return answers.value(host); };
}

}  // namespace webtest
