// A loaded program for crawler tests: debug mode on (the logs are what we read), the bad-link
// list filled, the browsers' and timers' events bound, the pacing timer off as after load.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/image_form.h"
#include "crawler/link_filters.h"
#include "support/harness.h"

namespace crawl {

struct Crawl : fake::Harness {
  Crawl() {
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
  bool pacingArmed() { return window().next.enabled(); }
  // The procedure's entry and exit lines bracket the trace.
  bool traced(const std::string& name) const {
    const auto lines = trace();
    return !lines.empty() && lines.front() == name + " IN" && lines.back() == name + " OUT";
  }
};

}  // namespace crawl
