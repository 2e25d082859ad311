// A loaded program for crawler tests: debug mode on (the logs are what we read), the bad-link
// list filled, the browsers' and timers' events bound, the pacing timer off as after load.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/image_form.h"
#include "crawler/link_filters.h"
#include "support/harness.h"

namespace crawl {

struct Crawl : fake::Harness {
  Crawl() {
    debug();
    AddBadLinks(program.badLinks);
    BindFormEvents(program);
    window().next.setInterval(5000);
    window().next.setEnabled(false);
    program.lastActivity = program.now();
  }

  static std::shared_ptr<fake::FakeDocument> page(const std::string& url = "http://site.example/") {
    auto doc = std::make_shared<fake::FakeDocument>();
    doc->withUrl(url);
    return doc;
  }

  bool logged(const std::string& line) const {
    const auto lines = status();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  int countLogged(const std::string& prefix) const {
    const auto lines = status();
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
  }
  bool pacingArmed() { return window().next.enabled(); }
  // The procedure's entry and exit lines bracket the trace.
  bool traced(const std::string& name) const {
    const auto lines = trace();
    return !lines.empty() && lines.front() == name + " IN" && lines.back() == name + " OUT";
  }
  // Every address the ten display browsers were sent to, in slot order.
  std::vector<std::string> shown() {
    std::vector<std::string> all;
    for (int k = 0; k < 10; ++k)
      for (const auto& url : browser(k).navigations) all.push_back(url);
    return all;
  }
};

}  // namespace crawl
